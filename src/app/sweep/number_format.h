// Numbers as the sweep window's table, messages and copied text show them: locale-free,
// at most a given number of significant digits, no trailing zeros.
#pragma once

#include <string>

namespace ardenca {

// 0.0123457, 12.5, 1.5e-07; "inf", "-inf", "nan" for those.
std::string plain_number(double value, int digits = 6);

} // namespace ardenca
