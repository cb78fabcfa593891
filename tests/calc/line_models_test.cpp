#include "calc/arithmetic_fault.h"
#include "calc/line_models.h"

#include <cmath>
#include <gtest/gtest.h>

namespace ardenca::calc {
namespace {

struct Z {
    double r, x;
};

Z transform(double Zo, double Ld, double r, double x) {
    const Impedance z = Tline_calc(Zo, Ld, r, x);
    return {z.r_ohm, z.x_ohm};
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
        const Z z = transform(c.Zo, c.Ld, c.r_in, c.x_in);
        EXPECT_NEAR(z.r, c.r_out, c.tolerance) << c.Zo << " ohm, " << c.Ld << " degrees";
        EXPECT_NEAR(z.x, c.x_out, c.tolerance) << c.Zo << " ohm, " << c.Ld << " degrees";
    }
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
