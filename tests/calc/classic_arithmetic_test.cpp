// The classic calculator's arithmetic: checked operations, complex routines and the feed
// line, to the last bit where the classic numbers depend on it.
#include "calc/checked_math.h"
#include "calc/complex_routines.h"
#include "calc/line_models.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <utility>

namespace ardenca::calc {
namespace {

using enum FaultKind;

// The fault a calculation raises; a test failure when it raises none.
template <class F> ArithmeticFault fault_of(F f) {
    try {
        f();
    } catch (const ArithmeticFault& fault) {
        return fault;
    }
    ADD_FAILURE() << "no arithmetic fault";
    return ArithmeticFault(Overflow, FaultOperation::NumberReading);
}

TEST(CheckedMath, FaultsNameTheirKindAndOperation) {
    auto f = fault_of([] { ck::div(1.0, 0.0); });
    EXPECT_STREQ(f.what(), "division by zero");
    EXPECT_EQ(f.detail(), "division by zero in a division");
    EXPECT_EQ(fault_of([] { ck::ln(0.0); }).detail(), "invalid operation in a logarithm");

    EXPECT_EQ(fault_of([] { ck::div(0.0, 0.0); }).kind(), DivisionByZero);
    EXPECT_EQ(fault_of([] { ck::mul(DBL_MAX, 2.0); }).kind(), Overflow);
    EXPECT_EQ(fault_of([] { ck::add(DBL_MAX, DBL_MAX); }).kind(), Overflow);
    EXPECT_EQ(fault_of([] { ck::sub(-DBL_MAX, DBL_MAX); }).kind(), Overflow);
    EXPECT_EQ(fault_of([] { ck::div(DBL_MAX, 0.5); }).kind(), Overflow);
    EXPECT_EQ(fault_of([] { ck::ln(-1.0); }).kind(), InvalidOperation);
    EXPECT_EQ(fault_of([] { ck::pow(-4.0, 0.5); }).kind(), InvalidOperation);
    EXPECT_EQ(fault_of([] { ck::pow(1e200, 2.0); }).kind(), Overflow);
    EXPECT_EQ(fault_of([] { ck::pow(0.0, -1.0); }).kind(), DivisionByZero);
    EXPECT_THROW(ck::root(-1e-300), ArithmeticFault);
    EXPECT_THROW(ck::square(1e155), ArithmeticFault);
}

// Underflow and integer powers of negatives are no faults. square() and root() must give
// exactly what pow(x, 2) and pow(x, 0.5) give, including the arguments where those differ
// from x * x and sqrt(x).
TEST(CheckedMath, SquareAndRootRoundExactlyAsThePowerFunction) {
    EXPECT_EQ(ck::mul(1e-200, 1e-200), 0.0);
    EXPECT_GT(ck::div(DBL_MIN, 4.0), 0.0); // subnormal
    EXPECT_EQ(ck::pow(1e-170, 2.0), 0.0);
    EXPECT_EQ(ck::pow(-2.0, 2.0), 4.0);
    EXPECT_EQ(ck::pow(-2.0, 3.0), -8.0);
    EXPECT_EQ(ck::square(1e-170), 0.0);
    EXPECT_EQ(ck::root(0.0), 0.0);
    EXPECT_FALSE(std::signbit(ck::root(-0.0)));

    volatile double two = 2.0;
    volatile double half = 0.5;
    std::mt19937_64 rng(88172645463325252ull);
    std::uniform_real_distribution<double> mantissa(1, 2);
    std::uniform_int_distribution<int> exponent(-650, 649);
    int pow_differs_from_product = 0;
    for (int i = 0; i < 400000; ++i) {
        const double x = std::ldexp(mantissa(rng), exponent(rng));
        const double sq = std::pow(x, two);
        if (std::isfinite(sq)) {
            ASSERT_EQ(ck::square(x), sq) << x;
            ASSERT_EQ(ck::square(-x), sq) << x;
            pow_differs_from_product += sq != x * x;
        }
        ASSERT_EQ(ck::root(x), std::pow(x, half)) << x;
    }
    EXPECT_GT(pow_differs_from_product, 0);
}

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

TEST(ComplexRoutines, SquareRootIsPrincipalWithTheSignOfTheImaginaryPart) {
    // {r_in, i_in, r_out, i_out}; a negative zero imaginary part counts as not negative.
    const double cases[][4] = {{3, 4, 2, 1}, {0, 2, 1, 1},  {0, -2, 1, -1},
                               {0, 0, 0, 0}, {-4, 0, 0, 2}, {-4, -0.0, 0, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(root(c[0], c[1]), Pair(c[2], c[3])) << c[0] << ", " << c[1];
    // To the last bit.
    EXPECT_EQ(root(65.1779, -67.3409), Pair(8.913341782592276, -3.7775338163020145));

    // The square of 1e-170 underflows to 0, so |z| - r is negative under the root.
    EXPECT_EQ(fault_of([] { root(1e-170, 0); }).kind(), InvalidOperation);
    EXPECT_EQ(fault_of([] { root(0, -2e154); }).kind(), Overflow);
}

TEST(ComplexRoutines, ProductAndQuotient) {
    Pair p{};
    mult_i(1, 2, 3, 4, p.first, p.second);
    EXPECT_EQ(p, Pair(-5, 10));
    EXPECT_EQ(quotient(-5, 10, 3, 4), Pair(1, 2));
    EXPECT_EQ(quotient(1, 1, 0, 2), Pair(0.5, -0.5));
    EXPECT_EQ(fault_of([] { quotient(1, 0, 0, 0); }).kind(), DivisionByZero);
}

TEST(ComplexRoutines, HyperbolicTangentFromPowersOfTheProgramsE) {
    EXPECT_EQ(tanh_of(0), 0);
    EXPECT_EQ(tanh_of(1), 0.7615941559557655); // not the library's 0.7615941559557649
    EXPECT_EQ(tanh_of(-1), -0.7615941559557656);
    EXPECT_NEAR(tanh_of(1e-10), 1.00000008e-10, 1e-18); // cancellation in e^2x - 1
    EXPECT_EQ(tanh_of(20), 1);
    EXPECT_EQ(tanh_of(-400), -1); // e^-800 underflows to 0: no fault
    EXPECT_EQ(fault_of([] { tanh_of(354.9); }).kind(), Overflow);

    Pair t{};
    const double quarter = 3.14159265358979 / 4;
    tanh_complex(program_e, 0.0, quarter, t.first, t.second);
    EXPECT_EQ(t, Pair(0, std::tan(quarter)));
    tanh_complex(program_e, 1.0, 1.0, t.first, t.second);
    EXPECT_NEAR(t.first, 1.0839233273386946, 1e-15);
    EXPECT_NEAR(t.second, 0.2717525853195109, 1e-15);
}

TEST(FeedLine, CarriesAnImpedanceAlongTheLine) {
    struct Case {
        double Zo, Ld, r_in, x_in, r_out, x_out, tolerance;
    };
    const Case cases[] = {
        {50, 0, 20, 30, 20, 30, 1e-12},
        {50, 45, 25, 10, 56.179775, 39.887640, 5e-7},
        // tan of the program's pi/2 is large but finite: no fault at exactly 90 degrees.
        {50, 90, 25, 0, 100, 0, 1e-12},
        {50, 180, 25, 10, 25, 10, 1e-12},
        {75, 33.3, 75, 0, 75, 0, 1e-12},
        {75, 9.77, 65.1779, -67.3409, 49.509399, -53.555216, 5e-7},
        // Conjugating before and after runs the line backwards, meter to probe.
        {75, 9.77, 65.1779, 67.3409, 91.048700, 78.816122, 5e-7},
        {75, 9.77, 91.048700, -78.816122, 65.1779, -67.3409, 5e-6},
    };
    for (const Case& c : cases) {
        const Impedance z = Tline_calc(c.Zo, c.Ld, c.r_in, c.x_in);
        EXPECT_NEAR(z.r_ohm, c.r_out, c.tolerance) << c.Zo << " ohm, " << c.Ld << " degrees";
        EXPECT_NEAR(z.x_ohm, c.x_out, c.tolerance) << c.Zo << " ohm, " << c.Ld << " degrees";
    }
}

TEST(FeedLine, FaultsOnZeroImpedanceAndResonance) {
    EXPECT_THROW(Tline_calc(0, 45, 25, 10), ArithmeticFault);
    // A pure reactance resonating with the line: r_n = 0 and x_n * t exactly 1.
    const double t = std::tan(45.0 / 360.0 * 2.0 * 3.14159265358979);
    double x = 1.0 / t;
    while (x * t > 1.0)
        x = std::nextafter(x, 0.0);
    while (x * t < 1.0)
        x = std::nextafter(x, 2.0);
    ASSERT_EQ(x * t, 1.0);
    // An infinite transformed impedance.
    EXPECT_EQ(fault_of([x] { Tline_calc(1, 45, 0, x); }).kind(), DivisionByZero);
}

} // namespace
} // namespace ardenca::calc
