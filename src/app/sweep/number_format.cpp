#include "number_format.h"

#include <charconv>
#include <cmath>

namespace ardenca {

std::string plain_number(double value, int digits) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    if (value == 0)
        return "0";
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    if (ec != std::errc())
        return "?";
    return std::string(buffer, end);
}

std::string counted(std::size_t count, const std::string& singular, const std::string& plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

} // namespace ardenca
