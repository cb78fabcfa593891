#include "edge_misfit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ardenca::calc::solver {

Misfit::Misfit(const ProbeLine& line, const Bilinear& chain, cplx z_meter_ohm, double u_r_ohm,
               double u_x_ohm)
    : line_(line), chain_(chain), z_meter_(z_meter_ohm), u_r_(u_r_ohm), u_x_(u_x_ohm) {}

namespace {

// Given z != 0, 1 / z without the library's care for infinities (the values here are
// finite and far from overflow).
cplx reciprocal(cplx z) {
    const double n = z.real() * z.real() + z.imag() * z.imag();
    return {z.real() / n, -z.imag() / n};
}

} // namespace

// The rods show j Zs coth(u) / u with u = sqrt(-q eps); E = exp(-2u) keeps coth and
// csch^2 bounded for Re u >= 0.
MisfitPoint Misfit::at(cplx eps, cplx deps_dt) const {
    const cplx u = std::sqrt(-line_.q * eps);
    const cplx e2 = std::exp(-2.0 * u);
    const cplx inv_u = reciprocal(u);
    const cplx inv_1me = reciprocal(1.0 - e2);
    const cplx coth = (1.0 + e2) * inv_1me;
    const cplx j_zs(0, line_.zs_ohm);
    const cplx z_rods = j_zs * coth * inv_u;
    const cplx dz_du = -j_zs * inv_u * (4.0 * e2 * inv_1me * inv_1me + coth * inv_u);
    const cplx du_dt = (-0.5 * line_.q) * inv_u * deps_dt;
    const cplx inv_den = reciprocal(chain_.c * z_rods + chain_.d);
    const cplx z_model = (chain_.a * z_rods + chain_.b) * inv_den;
    const cplx chain_slope = (chain_.a * chain_.d - chain_.b * chain_.c) * inv_den * inv_den;
    const cplx dz_dt = chain_slope * dz_du * du_dt;
    const cplx miss = z_model - z_meter_;
    const double mr = miss.real() / u_r_, mx = miss.imag() / u_x_;
    const double vr = dz_dt.real() / u_r_, vx = dz_dt.imag() / u_x_;
    MisfitPoint m;
    m.miss_r = mr;
    m.miss_x = mx;
    m.chi2 = mr * mr + mx * mx;
    m.slope = 2 * (mr * vr + mx * vx);
    m.speed = std::sqrt(vr * vr + vx * vx);
    m.du_dt = std::abs(du_dt);
    m.re_u = u.real();
    const cplx y = reciprocal(z_model);
    const cplx dy_dt = -dz_dt * y * y;
    m.y_r = y.real();
    m.y_i = y.imag();
    m.y_speed = std::abs(dy_dt);
    // coth u = 1 + 2E / (1 - E): the part that rings as Im u grows, carried to the meter.
    m.ripple = line_.zs_ohm * std::abs(inv_u) * 2 * std::abs(e2 * inv_1me) * std::abs(chain_slope) /
               std::min(u_r_, u_x_);
    return m;
}

// |Z - Z_meter| / max(u_R, u_X) is at most d wherever d is, so |Z| > |Z_meter| + d max(u)
// keeps the model farther than d.
double Misfit::y_far(double d) const {
    return 1 / (std::abs(z_meter_) + d * std::max(u_r_, u_x_));
}

double Misfit::chi2(double sigma_s_per_m, double eps_r) const {
    return at(ground_eps(line_, sigma_s_per_m, eps_r), 0.0).chi2;
}

EdgePath::EdgePath(const Misfit& misfit, bool sigma_runs, double fixed_value)
    : misfit_(misfit), sigma_runs_(sigma_runs), fixed_(fixed_value),
      s_per_sigma_(1 / (misfit.line().w_rad_s * prog_eo)) {}

double EdgePath::sigma_at(double t) const {
    return sigma_runs_ ? std::exp(t) : fixed_;
}

double EdgePath::eps_r_at(double t) const {
    return sigma_runs_ ? fixed_ : std::exp(t);
}

MisfitPoint EdgePath::at(double t) const {
    const double v = std::exp(t);
    MisfitPoint m = sigma_runs_ ? misfit_.at({fixed_, -v * s_per_sigma_}, {0, -v * s_per_sigma_})
                                : misfit_.at({v, -fixed_ * s_per_sigma_}, v);
    m.t = t;
    return m;
}

namespace {

// Given a bracket a < b with slope(a) < 0 < slope(b), the zero of the slope between
// them by Brent's method: inverse quadratic interpolation, secant or bisection.
MisfitPoint refine(const EdgePath& edge, MisfitPoint a, MisfitPoint b, long& evaluations) {
    constexpr double tol_t = 1e-10;
    MisfitPoint c = a;
    double d = b.t - a.t, e = d;
    for (int it = 0; it < 100; ++it) {
        if ((b.slope > 0) == (c.slope > 0)) {
            c = a;
            d = e = b.t - a.t;
        }
        if (std::abs(c.slope) < std::abs(b.slope)) {
            a = b;
            b = c;
            c = a;
        }
        const double tol = 2 * std::numeric_limits<double>::epsilon() * std::abs(b.t) + tol_t;
        const double m = 0.5 * (c.t - b.t);
        if (std::abs(m) <= tol || b.slope == 0)
            break;
        if (std::abs(e) >= tol && std::abs(a.slope) > std::abs(b.slope)) {
            const double s = b.slope / a.slope;
            double p, q;
            if (a.t == c.t) {
                p = 2 * m * s;
                q = 1 - s;
            } else {
                const double qa = a.slope / c.slope, r = b.slope / c.slope;
                p = s * (2 * m * qa * (qa - r) - (b.t - a.t) * (r - 1));
                q = (qa - 1) * (r - 1) * (s - 1);
            }
            if (p > 0)
                q = -q;
            else
                p = -p;
            if (2 * p < std::min(3 * m * q - std::abs(tol * q), std::abs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = e = m;
            }
        } else {
            d = e = m;
        }
        a = b;
        b = edge.at(b.t + (std::abs(d) > tol ? d : (m > 0 ? tol : -tol)));
        ++evaluations;
    }
    return b;
}

} // namespace

EdgeScan scan_edge(const EdgePath& edge, double t0, double t1, double chi2_limit,
                   long& evaluations) {
    constexpr double kappa = 0.25;          // the least step allowed, in standard deviations
    constexpr double du_most = prog_pi / 8; // the largest step of u while the line rings
    constexpr double dt_most = 2;           // and in the logarithm, a factor e^2
    const double dt_least = 1e-9 * std::max(1.0, t1 - t0);
    const double d_limit = std::sqrt(chi2_limit);
    const double y_far = edge.misfit().y_far(d_limit);

    EdgeScan scan;
    MisfitPoint p = edge.at(t0);
    ++evaluations;
    scan.first = p;
    for (int steps = 0; p.t < t1 && steps < 5000; ++steps) {
        // How far the model may move in this step, in standard deviations: half its
        // distance beyond the limit, or kappa max(d, 1) when that is more. Or, while the
        // model's admittance 1 / Z lies inside y_far (|Z| too large to come within the
        // limit), half its way to that bound and at most half its size: near a sharp
        // resonance 1 / Z stays smooth where Z does not.
        const double d = std::sqrt(p.chi2);
        const double move = std::max(kappa * std::max(d, 1.0), 0.5 * (d - d_limit));
        const double abs_y = std::hypot(p.y_r, p.y_i);
        const double move_y = 0.5 * std::min(y_far - abs_y, abs_y);
        const double h_near = std::isfinite(d) && p.speed > 0
                                  ? move / p.speed
                                  : std::numeric_limits<double>::infinity();
        const double h_far = move_y > 0 && p.y_speed > 0 ? move_y / p.y_speed : 0;
        const bool far = h_far > h_near;
        double h = std::min({dt_most, t1 - p.t, std::max(h_near, h_far)});
        // The ringing may hide a turn towards the reading within a step once its size
        // is more than a tenth of the way left to the limit: then no step spans more
        // than an eighth of its period.
        if (p.du_dt > 0 && !(p.ripple < 0.1 * std::max(d - d_limit, kappa)))
            h = std::min(h, du_most / p.du_dt);
        h = std::max(h, dt_least);
        // The step stands when the model moved no more than about planned and the end's
        // own rate would not have asked for a much shorter one; otherwise it is halved.
        MisfitPoint q;
        double chord = 0;
        for (;;) {
            q = edge.at(p.t + h >= t1 - dt_least ? t1 : p.t + h);
            ++evaluations;
            chord = std::hypot(q.miss_r - p.miss_r, q.miss_x - p.miss_x);
            const bool stands = far ? std::hypot(q.y_r - p.y_r, q.y_i - p.y_i) <= 1.5 * move_y &&
                                          q.y_speed * h <= 3 * move_y
                                    : chord <= 1.5 * move && q.speed * h <= 3 * move;
            if (stands || h <= 2 * dt_least || !std::isfinite(move) || !std::isfinite(q.chi2))
                break;
            h *= 0.5;
        }
        // A path of length about `chord` between two points d_p and d_q from the reading
        // comes no nearer than (d_p + d_q - length) / 2; allowing half as much again for
        // its bending, a bracket that stays beyond the limit holds nothing to tell. Nor
        // does a step that stayed inside y_far.
        const double closest = 0.5 * (d + std::sqrt(q.chi2) - 1.5 * chord);
        if (p.slope < 0 && q.slope > 0 && ((!far && closest <= d_limit) || q.chi2 <= chi2_limit)) {
            const MisfitPoint m = refine(edge, p, q, evaluations);
            if (m.chi2 <= chi2_limit)
                scan.minima.push_back(m);
        }
        p = q;
    }
    scan.last = p;
    return scan;
}

} // namespace ardenca::calc::solver
