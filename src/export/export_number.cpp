#include "export_number.h"

#include <charconv>
#include <cmath>

namespace ardenca::exports {

std::string shortest(double value) {
    if (!std::isfinite(value))
        return {};
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

} // namespace ardenca::exports
