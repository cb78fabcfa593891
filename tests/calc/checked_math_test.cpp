#include "calc/checked_math.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

namespace ardenca {
namespace {

template <class F> ArithmeticFault fault_of(F f) {
    try {
        f();
    } catch (const ArithmeticFault& fault) {
        return fault;
    }
    ADD_FAILURE() << "no arithmetic fault";
    return ArithmeticFault(FaultKind::Overflow, FaultOperation::Addition);
}

TEST(CheckedMath, FaultsNameTheirKindAndOperation) {
    auto f = fault_of([] { ck::div(1.0, 0.0); });
    EXPECT_EQ(f.kind(), FaultKind::DivisionByZero);
    EXPECT_STREQ(f.what(), "division by zero");
    EXPECT_EQ(f.detail(), "division by zero in a division");

    EXPECT_EQ(fault_of([] { ck::div(0.0, 0.0); }).kind(), FaultKind::DivisionByZero);
    EXPECT_EQ(fault_of([] { ck::mul(DBL_MAX, 2.0); }).kind(), FaultKind::Overflow);
    EXPECT_EQ(fault_of([] { ck::add(DBL_MAX, DBL_MAX); }).kind(), FaultKind::Overflow);
    EXPECT_EQ(fault_of([] { ck::sub(-DBL_MAX, DBL_MAX); }).kind(), FaultKind::Overflow);
    EXPECT_EQ(fault_of([] { ck::div(DBL_MAX, 0.5); }).kind(), FaultKind::Overflow);

    auto ln0 = fault_of([] { ck::ln(0.0); });
    EXPECT_EQ(ln0.kind(), FaultKind::InvalidOperation);
    EXPECT_EQ(ln0.detail(), "invalid operation in a logarithm");
    EXPECT_EQ(fault_of([] { ck::ln(-1.0); }).kind(), FaultKind::InvalidOperation);

    EXPECT_EQ(fault_of([] { ck::pow(-4.0, 0.5); }).kind(), FaultKind::InvalidOperation);
    EXPECT_EQ(fault_of([] { ck::pow(1e200, 2.0); }).kind(), FaultKind::Overflow);
    EXPECT_EQ(fault_of([] { ck::pow(0.0, -1.0); }).kind(), FaultKind::DivisionByZero);
}

TEST(CheckedMath, UnderflowAndIntegerPowersOfNegativesAreNotFaults) {
    EXPECT_EQ(ck::mul(1e-200, 1e-200), 0.0);
    EXPECT_GT(ck::div(DBL_MIN, 4.0), 0.0); // subnormal
    EXPECT_EQ(ck::pow(1e-170, 2.0), 0.0);
    EXPECT_EQ(ck::pow(-2.0, 2.0), 4.0);
    EXPECT_EQ(ck::pow(-2.0, 3.0), -8.0);
}

// square() and root() must give exactly what pow(x, 2) and pow(x, 0.5) give, including
// the arguments where those differ from x * x and sqrt(x).
TEST(CheckedMath, SquareAndRootRoundExactlyAsThePowerFunction) {
    volatile double two = 2.0;
    volatile double half = 0.5;
    std::uint64_t state = 88172645463325252ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    int pow_differs_from_product = 0;
    for (int i = 0; i < 400000; ++i) {
        const std::uint64_t bits = next();
        double mantissa = 0;
        const std::uint64_t m = (bits >> 12) | 0x3ff0000000000000ull;
        std::memcpy(&mantissa, &m, sizeof m);
        const double x = std::ldexp(mantissa, static_cast<int>(next() % 1300) - 650);
        const double sq = std::pow(x, two);
        if (std::isfinite(sq)) {
            ASSERT_EQ(ck::square(x), sq) << x;
            ASSERT_EQ(ck::square(-x), sq) << x;
            pow_differs_from_product += sq != x * x;
        }
        ASSERT_EQ(ck::root(x), std::pow(x, half)) << x;
    }
    EXPECT_GT(pow_differs_from_product, 0);
    EXPECT_EQ(ck::root(0.0), 0.0);
    EXPECT_FALSE(std::signbit(ck::root(-0.0)));
    EXPECT_THROW(ck::root(-1e-300), ArithmeticFault);
    EXPECT_THROW(ck::square(1e155), ArithmeticFault);
    EXPECT_EQ(ck::square(1e-170), 0.0);
}

} // namespace
} // namespace ardenca
