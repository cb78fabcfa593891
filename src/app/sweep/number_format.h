// Numbers as the sweep window's table, messages and copied text show them: locale-free,
// at most a given number of significant digits, no trailing zeros.
#pragma once

#include <cstddef>
#include <string>

namespace ardenca {

// 0.0123457, 12.5, 1.5e-07; "inf", "-inf", "nan" for those.
std::string plain_number(double value, int digits = 6);

// "1 point", "3 points": a count with its noun, singular or plural.
std::string counted(std::size_t count, const std::string& singular, const std::string& plural);

} // namespace ardenca
