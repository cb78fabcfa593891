// The text-to-number rule on arbitrary bytes. It never fails except with an overflow
// for a number too large for a double, never yields an infinity or a NaN, and reads
// what it reads from the leading number alone: blanks, tabs and line feeds anywhere
// do not matter, and text after the number is ignored.
#include "app/number_text.h"
#include "calc/arithmetic_fault.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

using ardenca::ArithmeticFault;

// The value, or nothing when the rule reports an overflow.
std::optional<double> read(std::string_view text) {
    try {
        const double v = ardenca::text_to_number(text);
        if (!std::isfinite(v))
            std::abort();
        return v;
    } catch (const ArithmeticFault& f) {
        if (f.kind() != ardenca::FaultKind::Overflow ||
            f.operation() != ardenca::FaultOperation::NumberReading)
            std::abort();
        return std::nullopt;
    }
}

bool same(const std::optional<double>& a, const std::optional<double>& b) {
    if (a.has_value() != b.has_value())
        return false;
    // Bitwise, so that -0 and 0 count as different readings.
    return !a || std::memcmp(&*a, &*b, sizeof(double)) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = read(text);

    // A character that can never be part of a number ends the reading.
    if (!same(value, read(std::string(text) + "x")))
        std::abort();

    // Blanks, tabs and line feeds removed beforehand change nothing, nor do others added
    // between the characters.
    std::string compact, spread;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            compact.push_back(c);
        spread.push_back(c);
        spread.push_back(" \t\n"[static_cast<unsigned char>(c) % 3]);
    }
    if (!same(value, read(compact)) || !same(value, read(spread)))
        std::abort();

    // No digit before anything that could be a number: 0.
    const std::size_t first = compact.find_first_not_of("+-.");
    if (value && (first == std::string::npos || compact[first] < '0' || compact[first] > '9') &&
        *value != 0.0)
        std::abort();
    return 0;
}
