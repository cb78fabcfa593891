#include "files/decimal_text.h"

#include <bit>
#include <cstdint>
#include <gtest/gtest.h>
#include <string_view>

namespace ardenca::text {
namespace {

TEST(DecimalText, LeadingDecimalTakesTheLongestNumber) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"12.5e3x", "12.5e3"}, {"-.5", "-.5"},    {"5.", "5."},   {"+7e", "+7"},
        {"1e+", "1"},          {"1E-2,", "1E-2"}, {".e5", ""},    {"-", ""},
        {"+-1", ""},           {" 1", ""},        {"1 000", "1"}, {"3.1.4", "3.1"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(leading_decimal(in), out) << in;
        EXPECT_EQ(is_decimal(in), !in.empty() && in == out) << in;
    }
}

TEST(DecimalText, ParseRoundsToNearestWithSubnormalsAndOverflow) {
    using Status = DecimalValue::Status;
    const std::tuple<std::string_view, Status, double> cases[] = {
        {"0.1", Status::Number, 0x1.999999999999ap-4},
        {"-0", Status::Number, -0.0},
        {"+.5e-3", Status::Number, 0x1.0624dd2f1a9fcp-11},
        {"1e-310", Status::Number, 0x0.012688b70e62bp-1022},                  // subnormal
        {"2.4703282292062329e-324", Status::Number, 0x0.0000000000001p-1022}, // rounds up
        {"2.4703282292062327e-324", Status::Number, 0},                       // rounds to 0
        {"-1e-400", Status::Number, -0.0},                                    // underflow
        {"1e-99999999999", Status::Number, 0},
        {"0e999999", Status::Number, 0},
        {"1.7976931348623158e308", Status::Number, 0x1.fffffffffffffp+1023},
        {"1.7976931348623159e308", Status::Overflow, 0},
        {"-1e309", Status::Overflow, 0},
        {"123456789012345678901234567890e-340", Status::Number, 0x0.00245cbaec7bap-1022},
        {"1,5", Status::NotNumber, 0},
        {" 1", Status::NotNumber, 0},
        {"", Status::NotNumber, 0},
    };
    for (const auto& [text, status, value] : cases) {
        const DecimalValue v = parse_decimal(text);
        EXPECT_EQ(v.status, status) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(v.value), std::bit_cast<std::uint64_t>(value))
            << text;
    }
}

} // namespace
} // namespace ardenca::text
