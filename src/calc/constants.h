// The program's own constants. pi and e are its 15-digit values, not the library's:
// every result that uses them carries that difference in its last digits.
#pragma once

namespace ardenca::calc {

inline constexpr double pi = 3.14159265358979;
inline constexpr double e = 2.71828182845905;
inline constexpr double co_m_per_s = 299792458;       // speed of light
inline constexpr double eo_f_per_m = 8.854187817e-12; // permittivity of free space
inline constexpr double resolution = 1.000000000001;  // where a search step stops shrinking

} // namespace ardenca::calc
