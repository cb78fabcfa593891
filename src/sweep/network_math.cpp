#include "network_math.h"

#include <cmath>

namespace ardenca::sweep {

namespace {

constexpr double pi = 3.141592653589793;

bool is_finite(Complex c) {
    return std::isfinite(c.real()) && std::isfinite(c.imag());
}

struct Matrix2 {
    Complex a, b, c, d; // [[a, b], [c, d]]
};

Matrix2 product(const Matrix2& x, const Matrix2& y) {
    return {x.a * y.a + x.b * y.c, x.a * y.b + x.b * y.d, x.c * y.a + x.d * y.c,
            x.c * y.b + x.d * y.d};
}

Matrix2 inverse(const Matrix2& x) {
    const Complex det = x.a * x.d - x.b * x.c;
    return {x.d / det, -x.b / det, -x.c / det, x.a / det};
}

} // namespace

Complex polar_deg(double magnitude, double angle_deg) {
    double a = std::fmod(angle_deg, 360.0); // exact, in (-360, 360)
    if (a > 180)
        a -= 360; // exact (Sterbenz)
    else if (a < -180)
        a += 360;
    // a in [-180, 180]; cos(180 - x) = -cos x, sin(180 - x) = sin x.
    double cos_sign = 1;
    if (a > 90) {
        a = 180 - a;
        cos_sign = -1;
    } else if (a < -90) {
        a = -180 - a;
        cos_sign = -1;
    }
    // a in [-90, 90]: past 45 degrees take the other function of the complement.
    double c = 0, s = 0;
    if (a > 45) {
        const double r = (90 - a) * (pi / 180);
        c = std::sin(r);
        s = std::cos(r);
    } else if (a < -45) {
        const double r = (-90 - a) * (pi / 180);
        c = -std::sin(r);
        s = -std::cos(r);
    } else {
        const double r = a * (pi / 180);
        c = std::cos(r);
        s = std::sin(r);
    }
    return {magnitude * (cos_sign * c), magnitude * s};
}

Complex pair_value(PairFormat format, double first, double second) {
    switch (format) {
    case PairFormat::RI:
        return {first, second};
    case PairFormat::MA:
        return polar_deg(first, second);
    case PairFormat::DB:
        return polar_deg(std::pow(10.0, first / 20), second);
    }
    return {};
}

Impedance one_port_impedance(Parameter parameter, Complex value, double r_ohm) {
    Complex z;
    switch (parameter) {
    case Parameter::S:
        if (value == Complex(1, 0))
            return {{}, true};
        z = r_ohm * (1.0 + value) / (1.0 - value);
        break;
    case Parameter::Y:
        if (value == Complex(0, 0))
            return {{}, true};
        z = 1.0 / value;
        break;
    default:
        z = value;
        break;
    }
    if (!is_finite(z))
        return {{}, true};
    return {z, false};
}

SMatrix2 to_s_matrix(Parameter parameter, const SMatrix2& m, double r1_ohm, double r2_ohm) {
    if (parameter == Parameter::S)
        return m;
    // The matrix says M (V1, V2) = N (I1, I2). With the waves a = (V + r I)/(2 sqrt r) and
    // b = (V - r I)/(2 sqrt r) of each port, S = (M sqrt R + N / sqrt R)^-1 (N / sqrt R -
    // M sqrt R), R = diag(r1, r2).
    const Complex one(1, 0), zero(0, 0);
    const auto [p11, p12, p21, p22] = m;
    Matrix2 M{}, N{};
    switch (parameter) {
    case Parameter::Z:
        M = {one, zero, zero, one};
        N = {p11, p12, p21, p22};
        break;
    case Parameter::Y:
        M = {p11, p12, p21, p22};
        N = {one, zero, zero, one};
        break;
    case Parameter::H: // V1 = h11 I1 + h12 V2, I2 = h21 I1 + h22 V2
        M = {one, -p12, zero, -p22};
        N = {p11, zero, p21, -one};
        break;
    case Parameter::G: // I1 = g11 V1 + g12 I2, V2 = g21 V1 + g22 I2
        M = {p11, zero, p21, -one};
        N = {one, -p12, zero, -p22};
        break;
    case Parameter::S:
        break;
    }
    const double s1 = std::sqrt(r1_ohm), s2 = std::sqrt(r2_ohm);
    // M sqrt R scales M's columns by sqrt r; N / sqrt R scales N's columns by 1 / sqrt r.
    const Matrix2 m_r{M.a * s1, M.b * s2, M.c * s1, M.d * s2};
    const Matrix2 n_r{N.a / s1, N.b / s2, N.c / s1, N.d / s2};
    const Matrix2 s = product(inverse({m_r.a + n_r.a, m_r.b + n_r.b, m_r.c + n_r.c, m_r.d + n_r.d}),
                              {n_r.a - m_r.a, n_r.b - m_r.b, n_r.c - m_r.c, n_r.d - m_r.d});
    return {s.a, s.b, s.c, s.d};
}

Impedance series_impedance(const SMatrix2& s, double r1_ohm, double r2_ohm) {
    const auto [s11, s12, s21, s22] = s;
    if (s21 == Complex(0, 0))
        return {{}, true};
    const double r = r1_ohm == r2_ohm ? r1_ohm : std::sqrt(r1_ohm) * std::sqrt(r2_ohm);
    const Complex z = r * ((1.0 + s11) * (1.0 + s22) - s12 * s21) / (2.0 * s21);
    if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
        return {{}, true};
    return {z, false};
}

} // namespace ardenca::sweep
