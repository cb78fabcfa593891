#include "app/number_text.h"
#include "calc/arithmetic_fault.h"

#include <cfloat>
#include <gtest/gtest.h>

namespace ardenca {
namespace {

TEST(TextToNumber, ReadsTheLeadingNumberAndFailsOnlyOnOverflow) {
    // An exponent mark without digits is no part of the number; underflow reads as the
    // nearest double.
    const std::pair<const char*, double> cases[] = {
        {".1", 0.1},     {"-67.3409", -67.3409}, {"7", 7},      {" 1 ", 1},
        {"1 000", 1000}, {"\t1\n2", 12},         {"12abc", 12}, {"1,5", 1},
        {"7,5", 7},      {"2.5E3", 2500},        {"2e+x5", 2},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(text_to_number(text), value) << '"' << text << '"';
    for (const char* zero : {"", "abc", "-", "+", ".", "-.", "e5", "\r1"})
        EXPECT_EQ(text_to_number(zero), 0) << '"' << zero << '"';
    EXPECT_EQ(text_to_number("4.9406564584124654e-324x"), DBL_TRUE_MIN);
    // Overflow is a fault; the digits themselves are converted by the decimal reader (its
    // own table test).
    try {
        text_to_number("-1 e999");
        FAIL() << "-1e999 must overflow";
    } catch (const ArithmeticFault& f) {
        EXPECT_EQ(f.kind(), FaultKind::Overflow);
    }
}

struct Shown {
    double value;
    const char* text;
};

void expect_shown(std::string_view pat, std::initializer_list<Shown> cases) {
    for (const auto& c : cases)
        EXPECT_EQ(format_number(c.value, pat), c.text) << pat << " with " << c.value;
}

// Values the windows' fields show on the defaults (318.8904, 0.01181, ...) are the model
// tests'; these are the patterns' other cases. Values are taken to 15 digits, then
// rounded half away from zero: 1.23455 is 1.2345499999... in binary but an exact half
// on 15 digits. A negative value that rounds to zero is shown without a sign.
TEST(DisplayPatterns, EachPatternRoundsHalfAwayFromZeroOnFifteenDigits) {
    using namespace pattern;
    expect_shown(permeability, {{1, "1.00"}, {0.5, ".50"}, {1.23456, "1.2346"}, {0, ".00"}});
    expect_shown(permeability, {{2.5, "2.50"}, {0.99999, "1.00"}});
    expect_shown(conductance, {{0.012345678, "0.01235"}, {3, "3.00"}, {0.0001, "0.0001"}});
    expect_shown(impedance, {{1234.5, "1234.5000"}, {-3.14159, "-3.1416"}, {0.00004, "0.0000"}});
    expect_shown(impedance, {{1.23455, "1.2346"}, {-1.23455, "-1.2346"}, {-0.00004, "0.0000"}});
    expect_shown("#0.00", {{0.125, "0.13"}});
    expect_shown(two_digits, {{0.5, "00.5000"}, {5, "05.0000"}, {123.456, "123.4560"}});
    expect_shown(two_digits, {{-5, "-05.0000"}, {12345.6, "12345.6000"}, {-0.0, "00.0000"}});
    expect_shown(two_digits, {{9.99995, "10.0000"}, {99.99996, "100.0000"}, {1e-300, "00.0000"}});
    expect_shown(zo_air, {{75, "75.0000"}, {3.1, "03.1000"}});
    expect_shown(ground,
                 {{0.01, "00.01"}, {30, "30.00"}, {0.0123456789, "00.012346"}, {0.005, "00.005"}});
    expect_shown(scientific, {{2e-10, "2.e-10"}, {123456, "1.235e+5"}, {0, "0.e+0"}});
    expect_shown(scientific, {{9.9996e-10, "1.e-9"}, {-3.1380442e-10, "-3.138e-10"}});
    expect_shown(scientific, {{1, "1.e+0"}, {DBL_MAX, "1.798e+308"}, {DBL_TRUE_MIN, "4.941e-324"}});
    EXPECT_EQ(format_number(1e300, "#0.00").size(), 304u);
}

} // namespace
} // namespace ardenca
