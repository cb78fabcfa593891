#include "soil_fit.h"

#include "ground_model.h"
#include "least_squares.h"
#include "probe_fixture.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ardenca::calc {

using solver::cplx;

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

// A reading made ready for the model: its line constants and its chain to the meter do
// not depend on the ground.
struct Prepared {
    std::size_t index = 0; // into the readings given
    double freq_hz = 0;
    solver::ProbeLine line;
    solver::Bilinear chain;
    cplx z_meter;
    double s_r = 1, s_x = 1; // the meter's 1-sigma in R and X
};

double meter_sigma(double part_ohm, const SolveOptions& o) {
    return o.meter_pct / 100 * std::abs(part_ohm) + o.meter_ohm;
}

bool finite(cplx z) {
    return std::isfinite(z.real()) && std::isfinite(z.imag());
}

std::vector<Prepared> prepare(std::span<const FitReading> readings, const SolveOptions& o) {
    std::vector<Prepared> out;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const FitReading& r = readings[i];
        if (!(r.freq_hz > 0) || !finite(r.z_meter_ohm))
            continue;
        Prepared p;
        p.index = i;
        p.freq_hz = r.freq_hz;
        p.line = solver::probe_line(r.probe, r.freq_hz);
        p.chain = solver::fixture_to_meter(r.probe, p.line);
        p.z_meter = r.z_meter_ohm;
        p.s_r = meter_sigma(r.z_meter_ohm.real(), o);
        p.s_x = meter_sigma(r.z_meter_ohm.imag(), o);
        if (std::isfinite(p.line.q) && p.line.q > 0 && p.s_r > 0 && p.s_x > 0)
            out.push_back(p);
    }
    return out;
}

// The fit runs on unbounded coordinates: conductivities and chi as logarithms, eps - 1
// as a logarithm, n through the logistic function. Each coordinate is clamped to a
// range wide enough for any soil, so that the arithmetic stays finite.
struct Coordinate {
    double lo, hi;
};
constexpr Coordinate sigma_range{-25, 7}; // 1.4e-11 to 1100 S/m
constexpr Coordinate eps_range{-25, 9};   // eps - 1 from 1.4e-11 to 8100
constexpr Coordinate chi_range{-30, 11};
constexpr Coordinate n_range{-12, 12};

Coordinate coordinate(SoilModel model, int k) {
    if (k == 0)
        return sigma_range;
    if (k == 1)
        return eps_range;
    return model == SoilModel::Jonscher && k == 2 ? chi_range : n_range;
}

// Given coordinates, the parameters and d parameter / d coordinate.
SoilParameters to_parameters(SoilModel model, const VectorXd& x, SoilParameters& slope) {
    SoilParameters p{};
    slope = {};
    for (int k = 0; k < parameter_count(model); ++k) {
        const Coordinate c = coordinate(model, k);
        const double v = std::clamp(x[k], c.lo, c.hi);
        const auto i = static_cast<std::size_t>(k);
        if (k == 1) {
            p[i] = 1 + std::exp(v);
            slope[i] = p[i] - 1;
        } else if (k == 3) {
            p[i] = 1 / (1 + std::exp(-v));
            slope[i] = p[i] * (1 - p[i]);
        } else {
            p[i] = std::exp(v);
            slope[i] = p[i];
        }
        if (v != x[k])
            slope[i] = 0; // pinned at the edge of its range
    }
    return p;
}

VectorXd to_coordinates(SoilModel model, const SoilParameters& p) {
    VectorXd x(parameter_count(model));
    for (int k = 0; k < parameter_count(model); ++k) {
        const double v = p[static_cast<std::size_t>(k)];
        const Coordinate c = coordinate(model, k);
        double t;
        if (k == 1)
            t = std::log(std::max(v - 1, 1e-12));
        else if (k == 3)
            t = std::log(std::clamp(v, 1e-6, 1 - 1e-6) / (1 - std::clamp(v, 1e-6, 1 - 1e-6)));
        else
            t = std::log(std::max(v, 1e-15));
        x[k] = std::clamp(t, c.lo, c.hi);
    }
    return x;
}

// Given parameters and some readings, the normalised residuals (R then X per reading)
// and their derivatives with respect to the parameters.
bool model_residuals(SoilModel model, const SoilParameters& p, std::span<const Prepared> on,
                     VectorXd& r, MatrixXd* jac) {
    const int k = parameter_count(model);
    const auto n = static_cast<Eigen::Index>(on.size());
    r.resize(2 * n);
    if (jac)
        jac->resize(2 * n, k);
    for (Eigen::Index i = 0; i < n; ++i) {
        const Prepared& pr = on[static_cast<std::size_t>(i)];
        const SoilEps e = soil_eps(model, p, pr.freq_hz);
        const cplx u = solver::u_from_eps(pr.line, e.eps);
        const cplx z_rods = solver::rods_z_from_u(pr.line, u);
        const cplx z = pr.chain(z_rods);
        if (!finite(z))
            return false;
        r[2 * i] = (z.real() - pr.z_meter.real()) / pr.s_r;
        r[2 * i + 1] = (z.imag() - pr.z_meter.imag()) / pr.s_x;
        if (jac) {
            const cplx dz_deps = pr.chain.derivative(z_rods) * solver::rods_dz_du(pr.line, u) *
                                 (-pr.line.q / (2.0 * u));
            for (int c = 0; c < k; ++c) {
                const cplx d = dz_deps * e.d_eps[static_cast<std::size_t>(c)];
                (*jac)(2 * i, c) = d.real() / pr.s_r;
                (*jac)(2 * i + 1, c) = d.imag() / pr.s_x;
            }
        }
    }
    return true;
}

lsq::Residuals residuals_on(SoilModel model, std::span<const Prepared> on) {
    return [model, on](const VectorXd& x, VectorXd& r, MatrixXd& jac) {
        SoilParameters slope;
        const SoilParameters p = to_parameters(model, x, slope);
        if (!model_residuals(model, p, on, r, &jac))
            return false;
        for (Eigen::Index c = 0; c < jac.cols(); ++c)
            jac.col(c) *= slope[static_cast<std::size_t>(c)];
        return true;
    };
}

double w_eo(double freq_hz) {
    return 2 * solver::prog_pi * freq_hz * solver::prog_eo;
}

// Given a ground at one frequency, parameters of the model that pass through it (or
// near it, where the model cannot).
std::vector<SoilParameters> starts_through(SoilModel model, const FitCandidate& g) {
    const double sigma = g.sigma_s_per_m, eps = std::max(g.eps_r, 1.0 + 1e-6);
    const double we = w_eo(g.freq_hz);
    const double s = sigma / we;
    switch (model) {
    case SoilModel::Constant:
        return {{sigma, eps}};
    case SoilModel::Messier: {
        // eps = eps_inf + a, s = sigma0 / (w eo) + a with a^2 = 2 sigma0 eps_inf / (w eo):
        // a^2 - 2 (s + eps) a + 2 s eps = 0, the smaller root.
        const double b = s + eps;
        const double a = b - std::sqrt(std::max(b * b - 2 * s * eps, 0.0));
        return {{std::max(sigma - we * a, 1e-3 * sigma), std::max(eps - a, 1.0 + 1e-6)}};
    }
    case SoilModel::Jonscher:
        break;
    }
    // Half the loss from DC conduction, half from the constant-phase term.
    std::vector<SoilParameters> out;
    const double x = g.freq_hz / jonscher_ref_hz;
    for (double n : {0.3, 0.7}) {
        const double shape = std::pow(x, n - 1);
        const double chi = 0.5 * s / (shape * std::cos(n * solver::prog_pi / 2));
        const double eps_inf = eps - chi * shape * std::sin(n * solver::prog_pi / 2);
        out.push_back({0.5 * sigma, std::max(eps_inf, 1.0 + 1e-6), chi, n});
    }
    return out;
}

double relative_u(const FitCandidate& g) {
    const double r = std::max(g.u_sigma_s_per_m / g.sigma_s_per_m, g.u_eps_r / g.eps_r);
    return std::isnan(r) ? std::numeric_limits<double>::infinity() : r;
}

// Given the model and the solver's grounds, the starts: through the chosen grounds (a
// weighted fit for the constant-phase model, medians for the constant one), and through
// every ground of the best-determined reading in each third of the band.
std::vector<SoilParameters> starts(SoilModel model, std::span<const FitCandidate> candidates) {
    std::vector<SoilParameters> out;
    std::vector<const FitCandidate*> chosen;
    for (const FitCandidate& g : candidates)
        if (g.chosen && g.sigma_s_per_m > 0 && g.eps_r > 0)
            chosen.push_back(&g);
    if (!chosen.empty()) {
        std::vector<double> sigmas, epss;
        for (const FitCandidate* g : chosen) {
            sigmas.push_back(g->sigma_s_per_m);
            epss.push_back(g->eps_r);
        }
        const auto median = [](std::vector<double>& v) {
            std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2),
                             v.end());
            return v[v.size() / 2];
        };
        const double sigma_mid = median(sigmas), eps_mid = std::max(median(epss), 1.0 + 1e-6);
        if (model == SoilModel::Constant)
            out.push_back({sigma_mid, eps_mid});
        if (model == SoilModel::Jonscher) {
            // For a fixed n the model is linear in (sigma0, eps_inf, chi): weighted least
            // squares on the chosen grounds, each weighted by its own uncertainty.
            for (double n : {0.2, 0.45, 0.7, 0.9}) {
                MatrixXd a(2 * chosen.size(), 3);
                VectorXd b(2 * chosen.size());
                for (std::size_t i = 0; i < chosen.size(); ++i) {
                    const FitCandidate& g = *chosen[i];
                    const double we = w_eo(g.freq_hz);
                    const double shape = std::pow(g.freq_hz / jonscher_ref_hz, n - 1);
                    const double ws =
                        1 / std::max(g.u_sigma_s_per_m, 0.01 * g.sigma_s_per_m + 1e-12);
                    const double we_ = 1 / std::max(g.u_eps_r, 0.01 * g.eps_r);
                    const auto row = static_cast<Eigen::Index>(2 * i);
                    a.row(row) << ws, 0, ws * we * shape * std::cos(n * solver::prog_pi / 2);
                    b[row] = ws * g.sigma_s_per_m;
                    a.row(row + 1) << 0, we_, we_ * shape * std::sin(n * solver::prog_pi / 2);
                    b[row + 1] = we_ * g.eps_r;
                }
                const VectorXd c = a.colPivHouseholderQr().solve(b);
                if (c.allFinite())
                    out.push_back({std::max(c[0], 1e-6 * sigma_mid), std::max(c[1], 1.0 + 1e-6),
                                   std::max(c[2], 1e-6), n});
            }
        }
    }
    if (candidates.empty())
        return out;
    // The best-determined frequency in each third of the band, and all its grounds.
    double f_lo = candidates.front().freq_hz, f_hi = f_lo;
    for (const FitCandidate& g : candidates) {
        f_lo = std::min(f_lo, g.freq_hz);
        f_hi = std::max(f_hi, g.freq_hz);
    }
    for (int third = 0; third < 3; ++third) {
        const double a = std::log(f_lo) + (std::log(f_hi) - std::log(f_lo)) * third / 3;
        const double b = std::log(f_lo) + (std::log(f_hi) - std::log(f_lo)) * (third + 1) / 3;
        const FitCandidate* best = nullptr;
        for (const FitCandidate& g : candidates) {
            const double lf = std::log(g.freq_hz);
            if (lf < a || lf > b || !(g.sigma_s_per_m > 0) || !(g.eps_r > 0))
                continue;
            if (!best || relative_u(g) < relative_u(*best))
                best = &g;
        }
        if (!best)
            continue;
        for (const FitCandidate& g : candidates)
            if (g.freq_hz == best->freq_hz && g.sigma_s_per_m > 0 && g.eps_r > 0)
                for (const SoilParameters& p : starts_through(model, g))
                    out.push_back(p);
    }
    return out;
}

// Up to this many readings for screening the starts.
constexpr std::size_t subsample_size = 64;
// The starts refined on the subsample, and the refined ones polished on all readings.
constexpr std::size_t refined_starts = 6;
constexpr std::size_t polished_starts = 2;
// The runner-up is polished only when the subsample could hardly tell it from the best.
constexpr double runner_up_cost_ratio = 1.5;
constexpr int rejection_rounds = 3;

std::vector<Prepared> subsample(const std::vector<Prepared>& all) {
    if (all.size() <= subsample_size)
        return all;
    std::vector<Prepared> out;
    for (std::size_t k = 0; k < subsample_size; ++k)
        out.push_back(all[k * (all.size() - 1) / (subsample_size - 1)]);
    return out;
}

// Given the squared normalised residual of each reading, its robust scale: the median
// over the median of chi^2 with 2 degrees of freedom (2 ln 2), at least 1.
double robust_scale(std::vector<double> d2) {
    if (d2.empty())
        return 1;
    std::nth_element(d2.begin(), d2.begin() + static_cast<std::ptrdiff_t>(d2.size() / 2), d2.end());
    return std::max(1.0, d2[d2.size() / 2] / (2 * std::log(2.0)));
}

// Given the inverse's input, a pseudo-inverse that ignores directions the readings do
// not determine.
MatrixXd pseudo_inverse(const MatrixXd& a) {
    Eigen::SelfAdjointEigenSolver<MatrixXd> es(a);
    const VectorXd& ev = es.eigenvalues();
    const double cut = 1e-15 * std::max(ev.cwiseAbs().maxCoeff(), 1e-300);
    VectorXd inv(ev.size());
    for (Eigen::Index i = 0; i < ev.size(); ++i)
        inv[i] = ev[i] > cut ? 1 / ev[i] : 0;
    return es.eigenvectors() * inv.asDiagonal() * es.eigenvectors().transpose();
}

// Given a fit and the solver's grounds, per frequency the miss of the ground nearest the
// model (in ln sigma, ln eps_r). A nearest ground more than half its value away is a
// spoilt reading, not the model's miss, and is left out.
std::vector<SoilFit::Miss> misses(const SoilFit& fit, std::span<const FitCandidate> candidates) {
    std::vector<SoilFit::Miss> out;
    for (std::size_t i = 0; i < candidates.size();) {
        std::size_t end = i;
        const FitCandidate* nearest = nullptr;
        double best = INFINITY;
        const SoilGround m = soil_ground(fit.model, fit.value, candidates[i].freq_hz);
        for (; end < candidates.size() && candidates[end].freq_hz == candidates[i].freq_hz; ++end) {
            const FitCandidate& g = candidates[end];
            if (!(g.sigma_s_per_m > 0 && g.eps_r > 0))
                continue;
            const double ds = std::log(g.sigma_s_per_m / m.sigma_s_per_m);
            const double de = std::log(g.eps_r / m.eps_r);
            if (ds * ds + de * de < best) {
                best = ds * ds + de * de;
                nearest = &g;
            }
        }
        const double ds = nearest ? nearest->sigma_s_per_m - m.sigma_s_per_m : 0;
        const double de = nearest ? nearest->eps_r - m.eps_r : 0;
        if (nearest && std::abs(ds) < 0.5 * m.sigma_s_per_m && std::abs(de) < 0.5 * m.eps_r &&
            nearest->u_sigma_s_per_m > 0 && nearest->u_eps_r > 0 &&
            std::isfinite(nearest->u_sigma_s_per_m) && std::isfinite(nearest->u_eps_r)) {
            out.push_back({std::log(nearest->freq_hz), ds,
                           nearest->u_sigma_s_per_m * nearest->u_sigma_s_per_m, de,
                           nearest->u_eps_r * nearest->u_eps_r});
        }
        i = end;
    }
    std::stable_sort(out.begin(), out.end(), [](const SoilFit::Miss& a, const SoilFit::Miss& b) {
        return a.ln_f < b.ln_f;
    });
    return out;
}

// Sums over the misses near one frequency, for one coordinate.
struct MissSums {
    double w = 0, w2_u2 = 0, wd = 0, wd2 = 0, wu2 = 0;
    void add(double kernel, double d, double u2) {
        const double weight = kernel / u2;
        w += weight;
        w2_u2 += weight * weight * u2;
        wd += weight * d;
        wd2 += weight * d * d;
        wu2 += weight * u2;
    }
    // The lack of fit squared: the larger of the two estimates, at least 0.
    double lack2() const {
        if (!(w > 0))
            return 0;
        const double mean = wd / w;
        return std::max({(wd2 - wu2) / w, mean * mean - w2_u2 / (w * w), 0.0});
    }
};

// Given the misses (in increasing ln f) and ln f, the lack of fit squared in sigma and
// in eps_r there; misses beyond six widths weigh nothing.
std::pair<double, double> lack_of_fit2(const std::vector<SoilFit::Miss>& misses, double ln_f) {
    const double reach = 6 * lack_of_fit_width_ln_f;
    auto it = std::lower_bound(misses.begin(), misses.end(), ln_f - reach,
                               [](const SoilFit::Miss& m, double x) { return m.ln_f < x; });
    MissSums s, e;
    for (; it != misses.end() && it->ln_f <= ln_f + reach; ++it) {
        const double t = (it->ln_f - ln_f) / lack_of_fit_width_ln_f;
        const double kernel = std::exp(-0.5 * t * t);
        s.add(kernel, it->sigma_d, it->sigma_u2);
        e.add(kernel, it->eps_d, it->eps_u2);
    }
    return {s.lack2(), e.lack2()};
}

} // namespace

ModelGround model_ground(const SoilFit& fit, double freq_hz) {
    ModelGround g;
    g.freq_hz = freq_hz;
    const SoilEps e = soil_eps(fit.model, fit.value, freq_hz);
    const double we = w_eo(freq_hz);
    g.sigma_s_per_m = -e.eps.imag() * we;
    g.eps_r = e.eps.real();
    double var_s = 0, var_e = 0;
    const int k = parameter_count(fit.model);
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b) {
            const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
            const double c = fit.covariance[ia][ib];
            var_s += e.d_eps[ia].imag() * e.d_eps[ib].imag() * we * we * c;
            var_e += e.d_eps[ia].real() * e.d_eps[ib].real() * c;
        }
    if (!fit.misses.empty()) {
        const double at =
            std::clamp(std::log(freq_hz), fit.misses.front().ln_f, fit.misses.back().ln_f);
        const auto [lack_s, lack_e] = lack_of_fit2(fit.misses, at);
        var_s += lack_s;
        var_e += lack_e;
    }
    g.u_sigma_s_per_m = std::sqrt(std::max(var_s, 0.0));
    g.u_eps_r = std::sqrt(std::max(var_e, 0.0));
    // A hair of tolerance so that the band's own end points are inside it.
    g.extrapolated = freq_hz < fit.f_min_hz * (1 - 1e-12) || freq_hz > fit.f_max_hz * (1 + 1e-12);
    return g;
}

std::optional<SoilFit> fit_soil_model(SoilModel model, std::span<const FitReading> readings,
                                      std::span<const FitCandidate> candidates,
                                      const SolveOptions& options) {
    const std::vector<Prepared> all = prepare(readings, options);
    const int k = parameter_count(model);
    if (2 * static_cast<int>(all.size()) <= k)
        return std::nullopt;

    // Screen the starts on the subsample, refine the best there, polish the best of those.
    const std::vector<Prepared> sub = subsample(all);
    std::vector<std::pair<double, VectorXd>> ranked;
    VectorXd r;
    for (const SoilParameters& p : starts(model, candidates)) {
        if (!parameters_valid(model, p))
            continue;
        const VectorXd x = to_coordinates(model, p);
        SoilParameters slope;
        if (model_residuals(model, to_parameters(model, x, slope), sub, r, nullptr))
            ranked.emplace_back(r.squaredNorm(), x);
    }
    if (ranked.empty()) // no ground to start from: a plain soil
        ranked.emplace_back(0, to_coordinates(model, starts_through(model, {1e7, 0.01, 15})[0]));
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    ranked.resize(std::min(ranked.size(), refined_starts));
    const lsq::Residuals on_sub = residuals_on(model, sub);
    for (auto& [cost, x] : ranked) {
        const lsq::LmResult lm = lsq::levenberg_marquardt(on_sub, x, {.max_iterations = 30});
        cost = lm.evaluated ? lm.cost : std::numeric_limits<double>::infinity();
        x = lm.x;
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    ranked.resize(std::min(ranked.size(), polished_starts));
    if (ranked.size() > 1 && !(ranked[1].first <= runner_up_cost_ratio * ranked[0].first))
        ranked.resize(1);

    std::vector<Prepared> used = all;
    lsq::LmResult best;
    best.cost = std::numeric_limits<double>::infinity();
    for (const auto& [cost, x] : ranked) {
        const lsq::LmResult lm = lsq::levenberg_marquardt(residuals_on(model, used), x);
        if (lm.evaluated && lm.cost < best.cost)
            best = lm;
    }
    if (!best.evaluated)
        return std::nullopt;

    // Set aside the readings the model misses by far more than the rest, and refit.
    SoilParameters slope;
    SoilParameters p = to_parameters(model, best.x, slope);
    std::vector<double> d2(all.size());
    double scale = 1;
    for (int round = 0; round <= rejection_rounds; ++round) {
        if (!model_residuals(model, p, all, r, nullptr))
            return std::nullopt;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto ri = static_cast<Eigen::Index>(2 * i);
            d2[i] = r[ri] * r[ri] + r[ri + 1] * r[ri + 1];
        }
        scale = robust_scale(d2);
        std::vector<Prepared> keep;
        for (std::size_t i = 0; i < all.size(); ++i)
            if (d2[i] <= reject_residual2 * scale)
                keep.push_back(all[i]);
        const bool same =
            keep.size() == used.size() &&
            std::equal(keep.begin(), keep.end(), used.begin(),
                       [](const Prepared& a, const Prepared& b) { return a.index == b.index; });
        if (same || round == rejection_rounds || 2 * static_cast<int>(keep.size()) <= k)
            break;
        used = std::move(keep);
        const lsq::LmResult lm = lsq::levenberg_marquardt(residuals_on(model, used), best.x);
        if (!lm.evaluated)
            return std::nullopt;
        best = lm;
        p = to_parameters(model, best.x, slope);
    }

    SoilFit fit;
    fit.model = model;
    fit.value = p;
    fit.points_total = static_cast<int>(all.size());
    fit.points_used = static_cast<int>(used.size());
    fit.used.assign(readings.size(), false);
    fit.f_min_hz = std::numeric_limits<double>::infinity();
    fit.f_max_hz = 0;
    for (const Prepared& u : used) {
        fit.used[u.index] = true;
        fit.f_min_hz = std::min(fit.f_min_hz, u.freq_hz);
        fit.f_max_hz = std::max(fit.f_max_hz, u.freq_hz);
    }
    MatrixXd jac;
    if (!model_residuals(model, p, used, r, &jac))
        return std::nullopt;
    const double chi2 = r.squaredNorm();
    const int dof = 2 * fit.points_used - k;
    fit.chi2_per_dof = chi2 / dof;
    const int rejected = fit.points_total - fit.points_used;
    fit.bic = chi2 + reject_residual2 * scale * rejected + k * std::log(2.0 * fit.points_total);
    double misfit2 = 0;
    for (std::size_t i = 0; i < used.size(); ++i) {
        const auto ri = static_cast<Eigen::Index>(2 * i);
        const cplx dz(r[ri] * used[i].s_r, r[ri + 1] * used[i].s_x);
        misfit2 += std::norm(dz) / std::norm(used[i].z_meter);
    }
    fit.relative_misfit = std::sqrt(misfit2 / static_cast<double>(used.size()));
    fit.acceptable =
        fit.points_used >= min_used_fraction * fit.points_total &&
        (fit.chi2_per_dof <= max_chi2_per_dof || fit.relative_misfit <= max_relative_misfit);
    // In units of each parameter's own size, so that the inverse sees a well-scaled matrix.
    VectorXd size(k);
    for (int a = 0; a < k; ++a)
        size[a] = std::max(std::abs(p[static_cast<std::size_t>(a)]), 1e-9);
    const MatrixXd scaled = jac * size.asDiagonal();
    const MatrixXd cov = size.asDiagonal() * pseudo_inverse(scaled.transpose() * scaled) *
                         size.asDiagonal() * std::max(1.0, fit.chi2_per_dof);
    for (int a = 0; a < k; ++a) {
        for (int b = 0; b < k; ++b)
            fit.covariance[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] = cov(a, b);
        fit.u[static_cast<std::size_t>(a)] = std::sqrt(std::max(cov(a, a), 0.0));
    }
    fit.misses = misses(fit, candidates);
    return fit;
}

SoilFitOutcome fit_soil(std::span<const SoilModel> models, std::span<const FitReading> readings,
                        std::span<const FitCandidate> candidates, const SolveOptions& options) {
    SoilFitOutcome out;
    for (SoilModel m : models)
        if (std::optional<SoilFit> f = fit_soil_model(m, readings, candidates, options))
            out.tried.push_back(std::move(*f));
    for (const SoilFit& f : out.tried)
        if (f.acceptable && (!out.best || f.bic < out.best->bic))
            out.best = f;
    return out;
}

SoilFit widened_by_scatter(SoilFit fit, std::span<const SoilParameters> places) {
    if (places.size() < 2)
        return fit;
    const auto k = static_cast<std::size_t>(parameter_count(fit.model));
    SoilParameters mean{};
    for (const SoilParameters& p : places)
        for (std::size_t a = 0; a < k; ++a)
            mean[a] += p[a] / static_cast<double>(places.size());
    for (std::size_t a = 0; a < k; ++a)
        for (std::size_t b = 0; b < k; ++b) {
            double s = 0;
            for (const SoilParameters& p : places)
                s += (p[a] - mean[a]) * (p[b] - mean[b]);
            fit.covariance[a][b] += s / static_cast<double>(places.size() - 1);
        }
    for (std::size_t a = 0; a < k; ++a)
        fit.u[a] = std::sqrt(std::max(fit.covariance[a][a], 0.0));
    return fit;
}

} // namespace ardenca::calc
