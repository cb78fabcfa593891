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

const double program_e = 2.71828182845905;

double tanh_of(double x) {
    double t = 0;
    tanh(program_e, x, t);
    return t;
}

FaultKind fault_kind(void (*f)()) {
    try {
        f();
    } catch (const ArithmeticFault& fault) {
        return fault.kind();
    }
    ADD_FAILURE() << "no arithmetic fault";
    return FaultKind::InvalidOperation;
}

TEST(ComplexRoutines, SquareRootIsPrincipalWithTheSignOfTheImaginaryPart) {
    // {r_in, i_in, r_out, i_out}; a negative zero imaginary part counts as not negative.
    const double cases[][4] = {{3, 4, 2, 1},
                               {0, 2, 1, 1},
                               {0, -2, 1, -1},
                               {0, 0, 0, 0},
                               {-4, 0, 0, 2},
                               {-4, -0.0, 0, 2},
                               {65.1779, -67.3409, 8.913341782592276, -3.7775338163020145}};
    for (const auto& c : cases) {
        const Pair z = root(c[0], c[1]);
        EXPECT_DOUBLE_EQ(z.r, c[2]) << c[0] << ", " << c[1];
        EXPECT_DOUBLE_EQ(z.i, c[3]) << c[0] << ", " << c[1];
    }
    EXPECT_EQ(root(65.1779, -67.3409).r, 8.913341782592276); // to the last bit
    EXPECT_EQ(root(65.1779, -67.3409).i, -3.7775338163020145);

    // The square of 1e-170 underflows to 0, so |z| - r is negative under the root.
    EXPECT_EQ(fault_kind([] { root(1e-170, 0); }), FaultKind::InvalidOperation);
    EXPECT_EQ(fault_kind([] { root(0, -2e154); }), FaultKind::Overflow);
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
    EXPECT_EQ(fault_kind([] { quotient(1, 0, 0, 0); }), FaultKind::DivisionByZero);
}

TEST(ComplexRoutines, HyperbolicTangentFromPowersOfTheProgramsE) {
    EXPECT_EQ(tanh_of(0), 0);
    EXPECT_EQ(tanh_of(1), 0.7615941559557655); // not the library's 0.7615941559557649
    EXPECT_EQ(tanh_of(-1), -0.7615941559557656);
    EXPECT_NEAR(tanh_of(1e-10), 1.00000008e-10, 1e-18); // cancellation in e^2x - 1
    EXPECT_EQ(tanh_of(20), 1);
    EXPECT_EQ(tanh_of(-400), -1); // e^-800 underflows to 0: no fault
    EXPECT_EQ(fault_kind([] { tanh_of(354.9); }), FaultKind::Overflow);

    Pair t{};
    const double quarter = 3.14159265358979 / 4;
    tanh_complex(program_e, 0.0, quarter, t.r, t.i);
    EXPECT_EQ(t.r, 0);
    EXPECT_EQ(t.i, std::tan(quarter));
    tanh_complex(program_e, 1.0, 1.0, t.r, t.i);
    EXPECT_NEAR(t.r, 1.0839233273386946, 1e-15);
    EXPECT_NEAR(t.i, 0.2717525853195109, 1e-15);
}

TEST(ComplexRoutines, RootOfTwoIsThePowerFunctions) {
    EXPECT_EQ(root_of_two, ck::pow(2.0, 0.5));
}

} // namespace
} // namespace ardenca::calc
