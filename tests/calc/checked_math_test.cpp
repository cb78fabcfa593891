#include "calc/checked_math.h"

#include <cfloat>
#include <cmath>
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

TEST(CheckedMath, PowerIsTheLibraryPowerNotAProduct) {
    // pow(x, 2) and x * x differ in the last bit for some x; the program's squares
    // must come from the power function. This x is one where they differ.
    volatile double two = 2.0;
    double x = 1.0;
    bool found = false;
    for (int i = 0; i < 100000 && !found; ++i) {
        x = 1.0 + i * 1.2345678901e-5;
        found = std::pow(x, two) != x * x;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(ck::pow(x, 2.0), std::pow(x, two));
}

} // namespace
} // namespace ardenca
