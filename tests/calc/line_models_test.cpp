#include "calc/arithmetic_fault.h"
#include "calc/calc_state.h"
#include "calc/line_models.h"

#include <cmath>
#include <gtest/gtest.h>

namespace ardenca::calc {
namespace {

struct Z {
    double r, x;
};

Z transform(double Zo, double Ld, double r, double x) {
    CalcState s;
    set_load_constants(s);
    Z out{};
    Tline_calc(s, Zo, Ld, r, x, out.r, out.x);
    return out;
}

TEST(FeedLine, CarriesAnImpedanceAlongTheLine) {
    const Z same = transform(50, 0, 20, 30);
    EXPECT_DOUBLE_EQ(same.r, 20);
    EXPECT_DOUBLE_EQ(same.x, 30);

    const Z eighth = transform(50, 45, 25, 10);
    EXPECT_NEAR(eighth.r, 56.179775, 5e-7);
    EXPECT_NEAR(eighth.x, 39.887640, 5e-7);

    // tan of the program's pi/2 is large but finite: no fault at exactly 90 degrees.
    const Z quarter = transform(50, 90, 25, 0);
    EXPECT_NEAR(quarter.r, 100, 1e-12);
    EXPECT_NEAR(quarter.x, 0, 1e-12);

    const Z half = transform(50, 180, 25, 10);
    EXPECT_NEAR(half.r, 25, 1e-12);
    EXPECT_NEAR(half.x, 10, 1e-12);

    const Z matched = transform(75, 33.3, 75, 0);
    EXPECT_NEAR(matched.r, 75, 1e-12);
    EXPECT_NEAR(matched.x, 0, 1e-12);
}

TEST(FeedLine, ConjugatingUndoesTheTransformation) {
    // From the meter back to the probe, then forwards again.
    const Z back = transform(75, 9.77, 65.1779, 67.3409);
    EXPECT_NEAR(back.r, 91.048700, 5e-7);
    EXPECT_NEAR(-back.x, -78.816122, 5e-7);
    const Z forth = transform(75, 9.77, back.r, -back.x);
    EXPECT_NEAR(forth.r, 65.1779, 1e-9);
    EXPECT_NEAR(forth.x, -67.3409, 1e-9);

    const Z through = transform(75, 9.77, 65.1779, -67.3409);
    EXPECT_NEAR(through.r, 49.509399, 5e-7);
    EXPECT_NEAR(through.x, -53.555216, 5e-7);
}

TEST(FeedLine, FaultsOnZeroImpedanceAndResonance) {
    EXPECT_THROW(transform(0, 45, 25, 10), ArithmeticFault);
    // A pure reactance resonating with the line: r_n = 0 and x_n * t exactly 1.
    const double t = std::tan(45.0 / 360.0 * 2.0 * 3.14159265358979);
    double x = 1.0 / t;
    while (x * t > 1.0)
        x = std::nextafter(x, 0.0);
    while (x * t < 1.0)
        x = std::nextafter(x, 2.0);
    ASSERT_EQ(x * t, 1.0);
    try {
        transform(1, 45, 0, x);
        FAIL() << "an infinite transformed impedance must fault";
    } catch (const ArithmeticFault& f) {
        EXPECT_EQ(f.kind(), FaultKind::DivisionByZero);
    }
}

} // namespace
} // namespace ardenca::calc
