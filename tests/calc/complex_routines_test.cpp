#include "calc/calc_state.h"
#include "calc/complex_routines.h"

#include <cmath>
#include <gtest/gtest.h>

namespace ardenca::calc {
namespace {

struct Pair {
    double r, i;
};

Pair root(double r, double i) {
    Pair out{};
    sqr_rt_i(r, i, out.r, out.i);
    return out;
}

Pair quotient(double rn, double in, double rd, double id) {
    Pair out{};
    div_i(rn, in, rd, id, out.r, out.i);
    return out;
}

double program_e() {
    CalcState s;
    set_load_constants(s);
    return s.e;
}

TEST(ComplexRoutines, SquareRootIsPrincipalWithTheSignOfTheImaginaryPart) {
    EXPECT_EQ(root(3, 4).r, 2);
    EXPECT_EQ(root(3, 4).i, 1);
    EXPECT_DOUBLE_EQ(root(0, 2).r, 1);
    EXPECT_DOUBLE_EQ(root(0, 2).i, 1);
    EXPECT_DOUBLE_EQ(root(0, -2).i, -1);
    EXPECT_EQ(root(0, 0).r, 0);
    EXPECT_EQ(root(0, 0).i, 0);
    // A negative zero imaginary part counts as not negative.
    EXPECT_EQ(root(-4, 0).i, 2);
    EXPECT_EQ(root(-4, -0.0).i, 2);
    EXPECT_EQ(root(-4, -0.0).r, 0);

    const Pair z = root(65.1779, -67.3409);
    EXPECT_EQ(z.r, 8.913341782592276);
    EXPECT_EQ(z.i, -3.7775338163020145);
}

TEST(ComplexRoutines, SquareRootFaultsOnUnderflowedAndOverflowingSquares) {
    // The square of 1e-170 underflows to 0, so |z| - r is negative under the root.
    EXPECT_THROW(root(1e-170, 0), ArithmeticFault);
    EXPECT_THROW(root(2e154, 0), ArithmeticFault);
    EXPECT_THROW(root(0, -2e154), ArithmeticFault);
}

TEST(ComplexRoutines, ProductAndQuotient) {
    Pair p{};
    mult_i(1, 2, 3, 4, p.r, p.i);
    EXPECT_EQ(p.r, -5);
    EXPECT_EQ(p.i, 10);
    EXPECT_EQ(quotient(-5, 10, 3, 4).r, 1);
    EXPECT_EQ(quotient(-5, 10, 3, 4).i, 2);
    EXPECT_EQ(quotient(1, 1, 0, 2).r, 0.5);
    EXPECT_EQ(quotient(1, 1, 0, 2).i, -0.5);
    try {
        quotient(1, 0, 0, 0);
        FAIL() << "a zero denominator must fault";
    } catch (const ArithmeticFault& f) {
        EXPECT_EQ(f.kind(), FaultKind::DivisionByZero);
    }
}

TEST(ComplexRoutines, HyperbolicTangentFromPowersOfTheProgramsE) {
    const double e = program_e();
    double t = 0;
    tanh(e, 0.0, t);
    EXPECT_EQ(t, 0);
    tanh(e, 1.0, t);
    EXPECT_EQ(t, 0.7615941559557655); // not the library's 0.7615941559557649
    tanh(e, -1.0, t);
    EXPECT_EQ(t, -0.7615941559557656);
    tanh(e, 1e-10, t);
    EXPECT_NEAR(t, 1.00000008e-10, 1e-18); // cancellation in e^2x - 1
    tanh(e, 20.0, t);
    EXPECT_EQ(t, 1);
    try {
        tanh(e, 354.9, t);
        FAIL() << "e^709.8 must overflow";
    } catch (const ArithmeticFault& f) {
        EXPECT_EQ(f.kind(), FaultKind::Overflow);
    }
}

TEST(ComplexRoutines, ComplexHyperbolicTangent) {
    const double e = program_e();
    Pair t{};
    const double quarter = 3.14159265358979 / 4;
    tanh_complex(e, 0.0, quarter, t.r, t.i);
    EXPECT_EQ(t.r, 0);
    EXPECT_EQ(t.i, std::tan(quarter));
    tanh_complex(e, 1.0, 1.0, t.r, t.i);
    EXPECT_NEAR(t.r, 1.0839233273386946, 1e-15);
    EXPECT_NEAR(t.i, 0.2717525853195109, 1e-15);
}

} // namespace
} // namespace ardenca::calc
