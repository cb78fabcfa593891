#include "calc/complex_routines.h"

#include <cmath>
#include <gtest/gtest.h>
#include <utility>

namespace ardenca::calc {
namespace {

using Pair = std::pair<double, double>; // real, imaginary

Pair root(double r, double i) {
    Pair out{};
    sqr_rt_i(r, i, out.first, out.second);
    return out;
}

Pair quotient(double rn, double in, double rd, double id) {
    Pair out{};
    div_i(rn, in, rd, id, out.first, out.second);
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
    for (const auto& c : cases) // to the last bit
        EXPECT_EQ(root(c[0], c[1]), Pair(c[2], c[3])) << c[0] << ", " << c[1];

    // The square of 1e-170 underflows to 0, so |z| - r is negative under the root.
    EXPECT_EQ(fault_kind([] { root(1e-170, 0); }), FaultKind::InvalidOperation);
    EXPECT_EQ(fault_kind([] { root(0, -2e154); }), FaultKind::Overflow);
}

TEST(ComplexRoutines, ProductAndQuotient) {
    Pair p{};
    mult_i(1, 2, 3, 4, p.first, p.second);
    EXPECT_EQ(p, Pair(-5, 10));
    EXPECT_EQ(quotient(-5, 10, 3, 4), Pair(1, 2));
    EXPECT_EQ(quotient(1, 1, 0, 2), Pair(0.5, -0.5));
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
    tanh_complex(program_e, 0.0, quarter, t.first, t.second);
    EXPECT_EQ(t, Pair(0, std::tan(quarter)));
    tanh_complex(program_e, 1.0, 1.0, t.first, t.second);
    EXPECT_NEAR(t.first, 1.0839233273386946, 1e-15);
    EXPECT_NEAR(t.second, 0.2717525853195109, 1e-15);
}

} // namespace
} // namespace ardenca::calc
