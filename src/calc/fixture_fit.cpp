#include "fixture_fit.h"

#include "ground_model.h"
#include "probe_fixture.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace ardenca::calc {

using solver::Bilinear;
using solver::cplx;

namespace {

constexpr cplx j1{0, 1};

// Beyond these 1-sigma uncertainties (from the meter's stated accuracy) a value says
// nothing useful about a probe: leads of a few nH to some tens, top capacitances of
// a fraction of a pF to some tens, a feed line known to a few degrees.
constexpr double undetermined_lead_nh = 10;
constexpr double undetermined_top_pf = 3;
constexpr double undetermined_line_deg = 20;

// One reading with what the fit needs of it that does not depend on the fixture.
struct FitPoint {
    double freq_hz = 0;
    double w_rad_s = 0;
    cplx z_meas;
    double sigma_r = 0, sigma_x = 0;
    cplx z_top;        // the rods seen from their tops: 0 for the short sweep
    double line_scale; // feed-line radians per fitted degree at this frequency
    bool shorted = false;
};

// The fixture's unknowns: lead nH, top pF and, when fitted, the feed line's degrees
// at the set-up frequency.
struct Params {
    double lead_nh = 0, top_pf = 0, line_deg = 0;
};

struct Model {
    bool line = false; // a feed line, fitted or known
    bool fit_line = false;
    double line_zo_ohm = 0;
    int count() const { return fit_line ? 3 : 2; }
};

double meter_sigma(double part_ohm, double pct, double ohm) {
    return pct / 100 * std::abs(part_ohm) + ohm;
}

// Given the point and the fixture, the reading and its slopes by lead, top and line.
cplx reading(const Model& m, const FitPoint& p, const Params& x, cplx* d = nullptr) {
    const Bilinear top{1, 0, j1 * (p.w_rad_s * x.top_pf * 1e-12), 1};
    const cplx z1 = top(p.z_top);
    const cplx z2 = z1 + j1 * (p.w_rad_s * x.lead_nh * 1e-9);
    cplx z3 = z2;
    cplx dz3_dz2 = 1;
    cplx dz3_dtheta = 0;
    if (m.line) {
        const double theta = x.line_deg * p.line_scale;
        const Bilinear line = solver::lossless_line(m.line_zo_ohm, theta);
        z3 = line(z2);
        dz3_dz2 = line.derivative(z2);
        // Z = Zo (z cos + j Zo sin) / (Zo cos + j z sin), differentiated in theta.
        const double c = std::cos(theta), s = std::sin(theta), zo = m.line_zo_ohm;
        const cplx num = zo * (z2 * c + j1 * zo * s), den = zo * c + j1 * z2 * s;
        const cplx dnum = zo * (-z2 * s + j1 * zo * c), dden = -zo * s + j1 * z2 * c;
        dz3_dtheta = (dnum * den - num * dden) / (den * den);
    }
    if (d) {
        d[0] = dz3_dz2 * j1 * (p.w_rad_s * 1e-9);
        d[1] = p.shorted ? cplx(0) : dz3_dz2 * (-j1 * (p.w_rad_s * 1e-12) * z1 * z1);
        d[2] = dz3_dtheta * p.line_scale;
    }
    return z3;
}

double chi2(const Model& m, const std::vector<FitPoint>& pts, const Params& x) {
    double sum = 0;
    for (const FitPoint& p : pts) {
        const cplx r = reading(m, p, x) - p.z_meas;
        sum += (r.real() / p.sigma_r) * (r.real() / p.sigma_r) +
               (r.imag() / p.sigma_x) * (r.imag() / p.sigma_x);
    }
    return std::isfinite(sum) ? sum : std::numeric_limits<double>::infinity();
}

Params with(const Params& x, const Eigen::Vector3d& step) {
    return {x.lead_nh + step[0], x.top_pf + step[1], x.line_deg + step[2]};
}

// The normal equations J'J and J'r of the weighted residuals at x.
// A value not fitted has a unit row and column, so the system stays 3 by 3.
void normal_equations(const Model& m, const std::vector<FitPoint>& pts, const Params& x,
                      Eigen::Matrix3d& a, Eigen::Vector3d& g) {
    const int k = m.count();
    a = Eigen::Matrix3d::Zero();
    g = Eigen::Vector3d::Zero();
    cplx d[3];
    for (const FitPoint& p : pts) {
        const cplx r = reading(m, p, x, d) - p.z_meas;
        double jr[3], jx[3];
        for (int i = 0; i < k; ++i) {
            jr[i] = d[i].real() / p.sigma_r;
            jx[i] = d[i].imag() / p.sigma_x;
        }
        for (int i = 0; i < k; ++i) {
            g[i] += jr[i] * r.real() / p.sigma_r + jx[i] * r.imag() / p.sigma_x;
            for (int l = 0; l < k; ++l)
                a(i, l) += jr[i] * jr[l] + jx[i] * jx[l];
        }
    }
    for (int i = k; i < 3; ++i)
        a(i, i) = 1;
}

// Which values a minimisation leaves where they are.
using Held = std::array<bool, 3>;

// Levenberg-Marquardt from x for at most max_steps steps, the held values kept;
// returns the chi-square reached.
double minimise(const Model& m, const std::vector<FitPoint>& pts, Params& x, int max_steps,
                Held held = {}) {
    double best = chi2(m, pts, x);
    double lambda = 1e-3;
    Eigen::Matrix3d a;
    Eigen::Vector3d g;
    bool moved = true;
    for (int it = 0; it < max_steps && lambda < 1e12; ++it) {
        if (moved) {
            normal_equations(m, pts, x, a, g);
            for (int i = 0; i < 3; ++i) {
                if (!held[i])
                    continue;
                a.row(i).setZero();
                a.col(i).setZero();
                a(i, i) = 1;
                g[i] = 0;
            }
        }
        moved = false;
        Eigen::Matrix3d damped = a;
        for (int i = 0; i < 3; ++i)
            damped(i, i) += lambda * std::max(a(i, i), 1e-300);
        const Eigen::Vector3d step = damped.ldlt().solve(-g);
        const Params trial = with(x, step);
        const double c = step.allFinite() ? chi2(m, pts, trial) : best;
        if (c < best) {
            const bool settled = best - c <= 1e-10 * best + 1e-10;
            x = trial;
            best = c;
            moved = true;
            lambda = std::max(lambda / 10, 1e-12);
            if (settled)
                break;
        } else {
            lambda *= 10;
        }
    }
    return best;
}

// The same, with lead and top kept at zero or above (a fixture has no negative
// inductance or capacitance): a value that the free fit takes below zero is held at
// zero and the others fitted again.
double minimise_physical(const Model& m, const std::vector<FitPoint>& pts, Params& x, int max_steps,
                         Held held = {}) {
    double c = minimise(m, pts, x, max_steps, held);
    if (x.lead_nh >= 0 && x.top_pf >= 0)
        return c;
    if (x.lead_nh < 0) {
        x.lead_nh = 0;
        held[0] = true;
    }
    if (x.top_pf < 0) {
        x.top_pf = 0;
        held[1] = true;
    }
    c = minimise(m, pts, x, max_steps, held);
    // A value freed again may have gone below zero in the meantime.
    x.lead_nh = std::max(x.lead_nh, 0.0);
    x.top_pf = std::max(x.top_pf, 0.0);
    return chi2(m, pts, x);
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// With a feed line, lead, top and line trade against one another (a little more line
// looks much like a little more lead and top), so the fit has a long, flat valley
// along the lead, and across it narrow ridges from the line's fast phase. The valley
// is followed by the lead instead: for each lead the short sweep gives the line's
// length outright and the air sweep then the top, and each such point is polished
// with the lead held.
struct ProfileStep {
    double chi2;
    Params x;
};

// Given the short readings and a lead, the feed line's degrees at the set-up frequency:
// each reading is X = Zo tan(theta(f) + atan(w L / Zo)), so its phase less the lead's,
// unwrapped along f, is the line's, a straight line through zero in f.
double line_deg_from_short(const Model& m, const std::vector<FitPoint>& shorts, double lead_nh) {
    const double zo = m.line_zo_ohm;
    double prev = 0;
    std::vector<double> x, y, w;
    for (std::size_t i = 0; i < shorts.size(); ++i) {
        const FitPoint& p = shorts[i];
        double phase = std::atan(p.z_meas.imag() / zo) - std::atan(p.w_rad_s * lead_nh * 1e-9 / zo);
        // Whole half turns added so that the phase moves by less than a quarter turn.
        if (i > 0)
            phase += solver::prog_pi * std::round((prev - phase) / solver::prog_pi);
        prev = phase;
        const double sigma = p.sigma_x * zo / (zo * zo + std::norm(p.z_meas.imag()));
        x.push_back(p.line_scale);
        y.push_back(phase);
        w.push_back(1 / (sigma * sigma));
    }
    // The straight line a x + b, then b taken to the nearest half turn and away.
    double sw = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sw += w[i];
        sx += w[i] * x[i];
        sy += w[i] * y[i];
        sxx += w[i] * x[i] * x[i];
        sxy += w[i] * x[i] * y[i];
    }
    const double den = sw * sxx - sx * sx;
    const double b = den != 0 ? (sxx * sy - sx * sxy) / den : 0;
    const double half_turns = std::round(b / solver::prog_pi);
    double sxr = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        sxr += w[i] * x[i] * (y[i] - half_turns * solver::prog_pi);
    return sxx > 0 ? sxr / sxx : 0;
}

// Given the lead and the line, the top from the air readings (median of each one's).
double top_from_air(const Model& m, const std::vector<FitPoint>& air, double lead_nh,
                    double line_deg) {
    std::vector<double> tops;
    for (const FitPoint& p : air) {
        const cplx bare =
            solver::lossless_line(m.line_zo_ohm, line_deg * p.line_scale).inverse()(p.z_meas);
        const cplx y = 1.0 / (bare - j1 * (p.w_rad_s * lead_nh * 1e-9)) - 1.0 / p.z_top;
        tops.push_back(y.imag() / (p.w_rad_s * 1e-12));
    }
    return std::max(0.0, median(tops));
}

std::vector<ProfileStep> line_valley(const Model& m, const std::vector<FitPoint>& pts) {
    std::vector<FitPoint> air, shorts;
    for (const FitPoint& p : pts)
        (p.shorted ? shorts : air).push_back(p);
    std::sort(shorts.begin(), shorts.end(),
              [](const FitPoint& a, const FitPoint& b) { return a.freq_hz < b.freq_hz; });
    constexpr double step_nh = 0.5, max_nh = 200;
    std::vector<ProfileStep> out;
    double lowest = std::numeric_limits<double>::infinity();
    for (double lead = 0; lead <= max_nh; lead += step_nh) {
        Params x;
        x.lead_nh = lead;
        x.line_deg = line_deg_from_short(m, shorts, lead);
        x.top_pf = top_from_air(m, air, lead, x.line_deg);
        const double c = chi2(m, pts, x);
        out.push_back({c, x});
        lowest = std::min(lowest, c);
    }
    // Polish the points near the bottom with the lead held.
    const double near = 100 * lowest / static_cast<double>(2 * pts.size()) + 100;
    for (ProfileStep& step : out)
        if (step.chi2 <= lowest + near)
            step.chi2 = minimise_physical(m, pts, step.x, 60, {true, false, false});
    return out;
}

// Given a feed-line length, lead and top from the readings with the line taken off:
// medians of each point's own value, so one wild point does not lead the fit astray.
Params first_guess(const Model& m, const std::vector<FitPoint>& pts, double line_deg) {
    std::vector<cplx> bare(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const FitPoint& p = pts[i];
        bare[i] =
            m.line
                ? solver::lossless_line(m.line_zo_ohm, line_deg * p.line_scale).inverse()(p.z_meas)
                : p.z_meas;
    }
    Params x;
    x.line_deg = line_deg;
    const bool any_short = std::any_of(pts.begin(), pts.end(), [](auto& p) { return p.shorted; });
    // Lead from the short sweep (Z = j w L); without one, alternately from the air sweep.
    for (int round = 0; round < (any_short ? 1 : 3); ++round) {
        std::vector<double> leads, tops;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            const FitPoint& p = pts[i];
            if (p.shorted) {
                leads.push_back(bare[i].imag() / (p.w_rad_s * 1e-9));
                continue;
            }
            const cplx y = 1.0 / (bare[i] - j1 * (p.w_rad_s * x.lead_nh * 1e-9)) - 1.0 / p.z_top;
            tops.push_back(y.imag() / (p.w_rad_s * 1e-12));
        }
        if (any_short)
            x.lead_nh = median(leads);
        x.top_pf = median(tops);
        if (!any_short && round < 2) {
            for (std::size_t i = 0; i < pts.size(); ++i) {
                const FitPoint& p = pts[i];
                const cplx z1 = Bilinear{1, 0, j1 * (p.w_rad_s * x.top_pf * 1e-12), 1}(p.z_top);
                leads.push_back((bare[i] - z1).imag() / (p.w_rad_s * 1e-9));
            }
            x.lead_nh = median(leads);
        }
    }
    if (!std::isfinite(x.lead_nh))
        x.lead_nh = 0;
    if (!std::isfinite(x.top_pf))
        x.top_pf = 0;
    return x;
}

// Given the points, the starting values of the fit. With the line fitted: a grid of
// lengths fine enough that the phase at the top frequency moves some eight degrees
// step, each scored on a subset of the points; the best few go on to the full fit.
std::vector<Params> starts(const Model& m, const std::vector<FitPoint>& pts, double known_deg,
                           double setup_freq_hz) {
    if (!m.fit_line)
        return {first_guess(m, pts, known_deg)};
    std::vector<FitPoint> subset;
    const std::size_t stride = std::max<std::size_t>(1, pts.size() / 64);
    for (std::size_t i = 0; i < pts.size(); i += stride)
        subset.push_back(pts[i]);
    double f_max = 0;
    for (const FitPoint& p : pts)
        f_max = std::max(f_max, p.freq_hz);
    const double step_deg = std::min(5.0, 8.0 * setup_freq_hz / f_max);
    const double span_deg = std::max(720.0, 1.5 * std::abs(known_deg));
    std::vector<std::pair<double, Params>> scored;
    for (double deg = 0; deg <= span_deg; deg += step_deg) {
        const Params x = first_guess(m, subset, deg);
        scored.emplace_back(chi2(m, subset, x), x);
    }
    // Local minima along the grid, best first.
    std::vector<std::pair<double, Params>> minima;
    for (std::size_t i = 0; i < scored.size(); ++i) {
        const double c = scored[i].first;
        if ((i == 0 || c <= scored[i - 1].first) &&
            (i + 1 == scored.size() || c <= scored[i + 1].first))
            minima.push_back(scored[i]);
    }
    std::sort(minima.begin(), minima.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Params> out;
    for (std::size_t i = 0; i < minima.size() && i < 8; ++i)
        out.push_back(minima[i].second);
    return out;
}

std::string number(double v, const char* fmt = "%.3g") {
    char buf[48];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

} // namespace

std::complex<double> air_reading(const ProbeSetup& probe, double freq_hz) {
    const solver::ProbeLine line = solver::probe_line(probe, freq_hz);
    // The part of the rods that would be in the ground, here in the air: open at the end.
    const cplx z_rods =
        -j1 * line.zo_air_ohm / std::tan(line.w_rad_s * probe.length_m / solver::prog_co);
    return solver::fixture_to_meter(probe, line)(z_rods);
}

std::complex<double> short_reading(const ProbeSetup& probe, double freq_hz) {
    ProbeSetup leads = probe;
    leads.air_m = 0;
    leads.top_pf = 0;
    const solver::ProbeLine line = solver::probe_line(leads, freq_hz);
    return solver::fixture_to_meter(leads, line)(0.0);
}

FixtureFit fit_fixture(const FixtureFitInput& in) {
    if (in.air.empty())
        throw FixtureFitError("a short sweep alone cannot give the capacitance across the rod "
                              "tops: sweep the probe held in the air too");
    if (!(in.meter_pct >= 0 && in.meter_ohm >= 0 && (in.meter_pct > 0 || in.meter_ohm > 0)))
        throw FixtureFitError("the meter's accuracy must be PCT%+OHM, not both zero");
    if (in.fit_line && !(in.probe.match_zo_ohm > 0 && std::isfinite(in.probe.match_zo_ohm)))
        throw FixtureFitError("fitting the feed line needs its Zo above zero");
    if (!(in.setup_freq_hz > 0))
        throw FixtureFitError("the set-up frequency must be above zero");

    Model m;
    m.fit_line = in.fit_line;
    m.line = in.fit_line || in.probe.matching;
    m.line_zo_ohm = in.probe.match_zo_ohm;
    const double known_deg = m.line ? in.probe.match_deg : 0;

    std::vector<FitPoint> pts;
    int air_above_noise = 0, air_count = 0;
    auto add = [&](const ImpedancePoint& r, bool shorted) {
        if (!(r.freq_hz > 0) || !std::isfinite(r.z_ohm.real()) || !std::isfinite(r.z_ohm.imag()))
            return;
        FitPoint p;
        p.freq_hz = r.freq_hz;
        p.z_meas = r.z_ohm;
        p.sigma_r = meter_sigma(r.z_ohm.real(), in.meter_pct, in.meter_ohm);
        p.sigma_x = meter_sigma(r.z_ohm.imag(), in.meter_pct, in.meter_ohm);
        p.shorted = shorted;
        p.line_scale = r.freq_hz / in.setup_freq_hz / 360 * 2 * solver::prog_pi;
        const solver::ProbeLine line = solver::probe_line(in.probe, r.freq_hz);
        p.w_rad_s = line.w_rad_s;
        if (!shorted) {
            ProbeSetup rods = in.probe;
            rods.lead_nh = rods.top_pf = 0;
            rods.matching = false;
            p.z_top = air_reading(rods, r.freq_hz);
            if (!std::isfinite(p.z_top.real()) || !std::isfinite(p.z_top.imag()) || p.z_top == 0.0)
                return;
            ++air_count;
            if (std::abs(r.z_ohm.imag()) > 5 * p.sigma_x)
                ++air_above_noise;
        }
        pts.push_back(p);
    };
    for (const ImpedancePoint& r : in.air)
        add(r, false);
    for (const ImpedancePoint& r : in.shorted)
        add(r, true);

    if (air_count == 0)
        throw FixtureFitError("the air sweep has no usable reading");
    if (2 * air_above_noise < air_count)
        throw FixtureFitError("the air sweep's reactance stays within the meter's noise at " +
                              std::to_string(air_count - air_above_noise) + " of its " +
                              std::to_string(air_count) +
                              " readings: is the probe connected, and is --meter right?");
    const int k = m.count();
    const int dof = 2 * static_cast<int>(pts.size()) - k;
    if (dof < 1)
        throw FixtureFitError("too few readings to fit " + std::to_string(k) + " values");

    Params best;
    double best_chi2 = std::numeric_limits<double>::infinity();
    std::vector<ProfileStep> profile;
    if (m.fit_line && !in.shorted.empty()) {
        profile = line_valley(m, pts);
        for (const ProfileStep& p : profile)
            if (p.chi2 < best_chi2) {
                best_chi2 = p.chi2;
                best = p.x;
            }
        // Free of the held lead, the bottom may lie between the steps.
        Params free = best;
        const double c = minimise(m, pts, free, 200);
        if (c < best_chi2 && free.lead_nh >= 0 && free.top_pf >= 0) {
            best_chi2 = c;
            best = free;
        }
    } else {
        // Some steps from each start, then the best two of them to the end.
        std::vector<std::pair<double, Params>> tried;
        for (Params x : starts(m, pts, known_deg, in.setup_freq_hz)) {
            const double c = minimise(m, pts, x, 40);
            tried.emplace_back(c, x);
        }
        std::sort(tried.begin(), tried.end(),
                  [](const auto& p, const auto& q) { return p.first < q.first; });
        for (std::size_t i = 0; i < tried.size() && i < 2; ++i) {
            Params x = tried[i].second;
            const double c = minimise_physical(m, pts, x, 500);
            if (c < best_chi2) {
                best_chi2 = c;
                best = x;
            }
        }
    }
    if (!std::isfinite(best_chi2))
        throw FixtureFitError("the model of the probe in the air does not reach these readings");

    Eigen::Matrix3d a;
    Eigen::Vector3d g;
    normal_equations(m, pts, best, a, g);
    // The covariance from the normal matrix scaled to unit diagonal, so that the test
    // for a singular one does not depend on the units of the values.
    const Eigen::Vector3d scale_of = a.diagonal().cwiseSqrt().cwiseInverse();
    const Eigen::Matrix3d unit = scale_of.asDiagonal() * a * scale_of.asDiagonal();
    const Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> eig(unit);
    const bool regular = scale_of.allFinite() && eig.info() == Eigen::Success &&
                         eig.eigenvalues().minCoeff() > 1e-13 * eig.eigenvalues().maxCoeff();
    if (!regular && !m.fit_line)
        throw FixtureFitError("these sweeps cannot tell the lead inductance and the top "
                              "capacitance apart: add a short sweep or widen the frequency range");
    Eigen::Matrix3d cov = Eigen::Matrix3d::Zero();
    if (regular)
        cov = scale_of.asDiagonal() * unit.inverse() * scale_of.asDiagonal();
    std::array<double, 3> u_meter{};
    for (int i = 0; i < k; ++i)
        u_meter[i] = regular ? std::sqrt(cov(i, i)) : std::numeric_limits<double>::infinity();
    const double chi2_per_dof = best_chi2 / dof;
    // A fit worse than the meter's stated accuracy widens every uncertainty with it.
    const double widen = std::sqrt(std::max(1.0, chi2_per_dof));
    if (!profile.empty()) {
        // The spans of lead, top and line along the valley where chi-square stays within
        // the rise of one sigma.
        std::array<double, 3> lo{best.lead_nh, best.top_pf, best.line_deg}, hi = lo;
        for (const ProfileStep& p : profile) {
            if (p.chi2 > best_chi2 + widen * widen)
                continue;
            const double v[] = {p.x.lead_nh, p.x.top_pf, p.x.line_deg};
            for (int i = 0; i < 3; ++i) {
                lo[i] = std::min(lo[i], v[i]);
                hi[i] = std::max(hi[i], v[i]);
            }
        }
        std::array<double, 3> spans{};
        for (int i = 0; i < 3; ++i)
            spans[i] = std::max((hi[i] - lo[i]) / 2, i == 0 ? 0.25 : 0.0);
        // Near no lead the slopes of lead and line coincide and the linear uncertainties
        // blow up or mean nothing; the valley's span is then all there is.
        const bool on_edge = best.lead_nh <= 0 || best.top_pf <= 0;
        for (int i = 0; i < k; ++i) {
            const double span = spans[i] / widen;
            u_meter[i] =
                regular && !on_edge && u_meter[i] < 3 * span ? std::max(u_meter[i], span) : span;
        }
    }
    const char* names[] = {"lead inductance", "top capacitance", "feed line's length"};
    const double limits[] = {undetermined_lead_nh, undetermined_top_pf, undetermined_line_deg};
    const char* units[] = {" nH", " pF", " degrees"};
    // With a feed line the lead and top may stay loose: the line takes up what they
    // leave, and the chain as a whole is still known.
    for (int i = m.fit_line ? 2 : 0; i < k; ++i) {
        if (!(u_meter[i] <= limits[i]))
            throw FixtureFitError(std::string("these sweeps leave the ") + names[i] +
                                  " undetermined (1-sigma " + number(u_meter[i]) + units[i] +
                                  " from the meter's accuracy): " +
                                  (i == 0 && in.shorted.empty() ? "add a short sweep"
                                                                : "sweep to higher frequencies") +
                                  (i == 1 ? "" : ", or check --meter"));
    }

    FixtureFit fit;
    fit.points_used = static_cast<int>(pts.size());
    fit.dof = dof;
    fit.chi2_per_dof = chi2_per_dof;
    fit.lead_nh = {best.lead_nh, u_meter[0] * widen};
    fit.top_pf = {best.top_pf, u_meter[1] * widen};
    if (m.fit_line)
        fit.line_deg = FittedValue{best.line_deg, u_meter[2] * widen};
    for (int i = 0; i < k; ++i)
        for (int l = 0; l < k; ++l)
            fit.correlation[i][l] =
                regular ? cov(i, l) / std::sqrt(cov(i, i) * cov(l, l)) : (i == l ? 1 : 0);

    for (const FitPoint& p : pts) {
        const cplx r = reading(m, p, best) - p.z_meas;
        const double s = std::hypot(r.real() / p.sigma_r, r.imag() / p.sigma_x);
        if (s >= fit.worst.sigmas)
            fit.worst = {p.freq_hz, p.shorted, s, r};
    }
    if (fit.chi2_per_dof <= 2)
        fit.verdict = "good: the model fits the sweeps within the meter's accuracy";
    else if (fit.chi2_per_dof <= 10)
        fit.verdict = "fair: the residuals are somewhat above the meter's accuracy; the "
                      "uncertainties are widened to match";
    else
        fit.verdict = "poor: the sweeps do not follow the probe's model (check the probe's "
                      "dimensions and --air-m, that it was held clear of people and metal, and "
                      "--meter); the uncertainties are widened to match";
    return fit;
}

} // namespace ardenca::calc
