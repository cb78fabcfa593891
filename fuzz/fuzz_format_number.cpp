// Every display pattern on arbitrary finite doubles: the text has the pattern's shape,
// and reads back under the text-to-number rule to within half a unit of the pattern's
// last decimal place or of the value's 15th significant digit, whichever is larger;
// plus half a unit of the 15th digit, because the value is first taken to 15 digits
// and only then rounded to the pattern's places (1.23455, just below the half as a
// double, shows as 1.2346 with four decimals).
#include "app/number_text.h"
#include "calc/arithmetic_fault.h"
#include "fuzz_input.h"
#include "pattern_check.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

namespace pattern = ardenca::pattern;

constexpr std::array<std::string_view, 7> patterns{
    pattern::permeability, pattern::conductance, pattern::impedance, pattern::two_digits,
    pattern::zo_air,       pattern::ground,      pattern::scientific};

// The decimal exponent of |v| taken to 15 significant digits, from the C library's
// printf (a formatter of its own, not the program's).
int exponent15(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    return std::atoi(std::strchr(buf, 'e') + 1);
}

[[noreturn]] void fail(const char* what, double v, std::string_view pat, const std::string& text) {
    std::fprintf(stderr, "%s: %.17g with \"%.*s\" gives \"%s\"\n", what, v,
                 static_cast<int>(pat.size()), pat.data(), text.c_str());
    std::abort();
}

void check(double v, std::string_view pat) {
    const std::string text = ardenca::format_number(v, pat);
    if (!ardenca::fuzz::matches_pattern(text, pat))
        fail("not in the pattern's shape", v, pat, text);
    if (v == 0.0)
        return;

    const ardenca::fuzz::PatternShape shape = ardenca::fuzz::shape_of(pat);
    const int e15 = exponent15(v);
    // The last place: a power of ten fixed by the pattern, or for the scientific pattern
    // by the value's exponent.
    const int last_place = shape.scientific ? e15 - shape.max_decimals : -shape.max_decimals;
    const long double half_last = 0.5L * std::pow(10.0L, last_place);
    const long double half_15 = 0.5L * std::pow(10.0L, e15 - 14);
    const long double bound = (std::fmax(half_last, half_15) + half_15) * (1.0L + 1e-12L);

    // The text's exact value, and the double the program reads from it: the nearest one,
    // or an overflow when 15 digits carry a value next to the largest double past it.
    const long double exact = std::strtold(text.c_str(), nullptr);
    const long double overflow_threshold = 0x1p1024L - 0x1p970L;
    double back = 0;
    try {
        back = ardenca::text_to_number(text);
    } catch (const ardenca::ArithmeticFault&) {
        if (std::fabs(exact) < overflow_threshold)
            fail("reads back as an overflow", v, pat, text);
        return;
    }
    const long double ulp_back =
        static_cast<long double>(std::nextafter(std::fabs(back), INFINITY)) - std::fabs(back);
    if (std::fabs(back - exact) > 0.5L * ulp_back)
        fail("does not read back as the nearest double", v, pat, text);

    const long double ulp_v =
        static_cast<long double>(std::nextafter(std::fabs(v), INFINITY)) - std::fabs(v);
    if (std::fabs(static_cast<long double>(back) - v) > bound + ulp_v)
        fail("reads back too far from the value", v, pat, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input = finite_double_from(data, size);
    if (!input)
        return 0;
    const double v = *input;
    for (std::string_view pat : patterns)
        check(v, pat);
    // A byte after the value scales it into the range where every digit shows.
    if (size > sizeof(double)) {
        const int shift = static_cast<int>(data[sizeof(double)] % 40) - 20;
        const double scaled = std::ldexp(std::fmod(v, 1.0), shift * 3);
        if (std::isfinite(scaled))
            for (std::string_view pat : patterns)
                check(scaled, pat);
    }
    return 0;
}
