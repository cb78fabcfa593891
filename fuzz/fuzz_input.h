// Turning a fuzzer's bytes into the values the targets check.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

// The double in the input's first eight bytes, when it is finite.
inline std::optional<double> finite_double_from(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double))
        return std::nullopt;
    double value;
    std::memcpy(&value, data, sizeof value);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}
