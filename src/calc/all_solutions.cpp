#include "all_solutions.h"

#include "ground_model.h"
#include "near_grounds.h"
#include "probe_fixture.h"
#include "root_count.h"
#include "root_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

namespace ardenca::calc {

using solver::cplx;

namespace {

bool finite(cplx z) {
    return std::isfinite(z.real()) && std::isfinite(z.imag());
}

// Given the probe, the rods' impedance and the slope of the meter's reading in eps,
// the change of eps per unit of lead nH, top pF and line degrees, the reading held:
// d eps = -(dZ_meter / d value) / (dZ_meter / d eps).
std::array<cplx, 3> eps_per_fixture(const ProbeSetup& probe, const solver::ProbeLine& line,
                                    cplx z_rods, cplx d_meter) {
    std::array<cplx, 3> out{};
    double ProbeSetup::*values[] = {&ProbeSetup::lead_nh, &ProbeSetup::top_pf,
                                    &ProbeSetup::match_deg};
    const double u[] = {probe.u_fixture.lead_nh, probe.u_fixture.top_pf,
                        probe.matching ? probe.u_fixture.match_deg : 0};
    for (int i = 0; i < 3; ++i) {
        if (!(u[i] > 0))
            continue;
        const double h = 1e-4 * std::max(u[i], std::abs(probe.*values[i]));
        ProbeSetup up = probe, down = probe;
        up.*values[i] += h;
        down.*values[i] -= h;
        const cplx dz = (solver::fixture_to_meter(up, line)(z_rods) -
                         solver::fixture_to_meter(down, line)(z_rods)) /
                        (2 * h);
        out[i] = -dz / d_meter;
    }
    return out;
}

// Given a zero u of the reading's equation, the ground with its uncertainty and flags.
GroundSolution describe(const ProbeSetup& probe, const solver::ProbeLine& line,
                        const solver::Bilinear& chain, const solver::ProbeEquation& eq,
                        const solver::FoundRoot& root, cplx z_meter_ohm, double freq_hz,
                        const SolveOptions& options) {
    using solver::prog_pi;
    const cplx u = root.u;
    const cplx eps = solver::eps_from_u(line, u);
    GroundSolution s;
    s.sigma_s_per_m = solver::sigma_from_eps(line, eps);
    s.eps_r = eps.real();
    s.gamma_l = u;
    s.multiplicity = root.multiplicity;
    s.residual_ohm =
        std::abs(chain(solver::rods_z_classic(line, s.sigma_s_per_m, s.eps_r)) - z_meter_ohm);
    s.skin_depth_m = solver::skin_depth_m(s.sigma_s_per_m, s.eps_r, line.ur, freq_hz);

    // dZ_meter / d eps through the chain, the rods and u = sqrt(-q eps); then the
    // meter's independent errors in R and X, carried back linearly: d eps = dZ / D.
    const cplx d_meter = chain.derivative(solver::rods_z_from_u(line, u)) *
                         solver::rods_dz_du(line, u) * (-line.q / (2.0 * u));
    const cplx inv = 1.0 / d_meter;
    const double sr = solver::meter_sigma_ohm(z_meter_ohm.real(), options);
    const double sx = solver::meter_sigma_ohm(z_meter_ohm.imag(), options);
    const double a = inv.real(), b = inv.imag();
    if (root.multiplicity > 1 || !finite(inv)) {
        s.u_sigma_s_per_m = s.u_eps_r = std::numeric_limits<double>::infinity();
        s.corr = std::numeric_limits<double>::quiet_NaN(); // unknown with them
    } else {
        // eps = eps_r - j s: d eps_r = a dR - b dX, d s = -(b dR + a dX), sigma = w eo s.
        double var_eps = a * a * sr * sr + b * b * sx * sx;
        double var_s = b * b * sr * sr + a * a * sx * sx;
        double cov = a * b * (sx * sx - sr * sr);
        // The fixture's errors, correlated with one another, not with the meter's.
        const FixtureUncertainty& uf = probe.u_fixture;
        const std::array<cplx, 3> de =
            eps_per_fixture(probe, line, solver::rods_z_from_u(line, u), d_meter);
        const double uv[] = {uf.lead_nh, uf.top_pf, probe.matching ? uf.match_deg : 0};
        const double corr[3][3] = {{1, uf.corr_lead_top, uf.corr_lead_match},
                                   {uf.corr_lead_top, 1, uf.corr_top_match},
                                   {uf.corr_lead_match, uf.corr_top_match, 1}};
        for (int i = 0; i < 3; ++i)
            for (int l = 0; l < 3; ++l) {
                const double c = corr[i][l] * uv[i] * uv[l];
                if (c == 0)
                    continue;
                // eps = eps_r - j s: d eps_r = Re d eps, d s = -Im d eps.
                var_eps += de[i].real() * de[l].real() * c;
                var_s += de[i].imag() * de[l].imag() * c;
                cov -= de[i].real() * de[l].imag() * c;
            }
        s.u_eps_r = std::sqrt(var_eps);
        s.u_sigma_s_per_m = std::sqrt(var_s) * line.w_rad_s * solver::prog_eo;
        s.corr = var_eps > 0 && var_s > 0 ? cov / std::sqrt(var_eps * var_s)
                                          : std::numeric_limits<double>::quiet_NaN();
    }

    const double beta_l = u.imag();
    if (beta_l > prog_pi / 4)
        s.flags |= ElectricallyLong;
    if (beta_l > prog_pi / 2)
        s.flags |= BeyondQuarterWave;
    // The other zero of the local quadratic g(u + h) ~ g' h + g'' h^2 / 2 lies at
    // h = -2 g' / g''; two grounds within a twentieth of |u| nearly merge.
    const cplx g2 = eq.second_derivative(u);
    if (root.multiplicity > 1 ||
        std::abs(2.0 * eq.at(u).dg) < 0.05 * std::max(1.0, std::abs(u)) * std::abs(g2))
        s.flags |= NearDoubleRoot;
    if (!(s.u_sigma_s_per_m <= 0.5 * s.sigma_s_per_m) || !(s.u_eps_r <= 0.5 * s.eps_r))
        s.flags |= PoorlyDetermined;
    return s;
}

// Given the answer so far, its near grounds and the verdict on it.
void add_near_grounds(SolveResult& result, const solver::ProbeLine& line,
                      const solver::Bilinear& chain, cplx z_meter_ohm,
                      const SolveOptions& options) {
    result.near = solver::near_grounds(line, chain, z_meter_ohm, options, result.solutions,
                                       result.evaluations);
    const bool one = result.solutions.size() == 1;
    if (one && !result.near.empty())
        result.flags |= NearAlternative;
    result.unique =
        one && result.complete && result.solutions[0].multiplicity == 1 && result.near.empty();
}

} // namespace

SolveResult solve_all(const ProbeSetup& probe, double freq_hz, std::complex<double> z_meter_ohm,
                      const SolveOptions& options) {
    if (!(options.sigma_min_s_per_m > 0 && options.sigma_min_s_per_m < options.sigma_max_s_per_m &&
          options.eps_r_min > 0 && options.eps_r_min < options.eps_r_max))
        throw std::invalid_argument("the ground box needs 0 < min < max for sigma and eps_r");
    if (!(options.max_nu >= 0 && options.max_count >= 0 && options.max_evaluations > 0))
        throw std::invalid_argument("the work limits of a reading must not be negative");

    SolveResult result;
    const solver::ProbeLine line = solver::probe_line(probe, freq_hz);
    const solver::Bilinear chain = solver::fixture_to_meter(probe, line);
    const cplx z_probe = chain.inverse()(z_meter_ohm);
    result.z_probe_ohm = z_probe;
    result.nu = line.w_rad_s * line.length_m / solver::prog_co *
                std::sqrt(line.ur * options.eps_r_max) / solver::prog_pi;
    result.flags |= result.nu < 0.5 ? ProbeShort : CanBeLong;
    // The grounds lie about one per half-wave of the probe in the densest ground, and
    // so does the work of finding them: past the limit, say so instead of searching.
    if (result.nu > options.max_nu) {
        result.unresolved = Unresolved::ProbeTooLong;
        result.flags |= Unresolvable;
        return result;
    }

    const bool usable_line = std::isfinite(line.q) && line.q > 0 && std::isfinite(line.zs_ohm);
    if (!usable_line || !finite(z_probe) || z_probe == 0.0 || !finite(z_meter_ohm)) {
        // An open or shorted probe is met only by sigma = 0; a set-up without a line
        // meets nothing that can be proved.
        result.complete = usable_line && finite(z_meter_ohm);
        result.flags |= NoSolution | (result.complete ? 0u : Incomplete);
        if (result.complete)
            add_near_grounds(result, line, chain, z_meter_ohm, options);
        return result;
    }

    const solver::ProbeEquation eq{cplx(0, line.zs_ohm) / z_probe};
    const double s_scale = 1 / (line.w_rad_s * solver::prog_eo);
    std::optional<int> count;
    solver::GroundBox box;
    // Grounds on the very edge of the box belong to it: widen it by a hair, and by a
    // little more when a zero sits on the widened edge.
    for (double margin : {1e-8, 1e-7, 1e-6, 1e-5}) {
        box = {options.eps_r_min * (1 - margin), options.eps_r_max * (1 + margin),
               options.sigma_min_s_per_m * s_scale * (1 - margin),
               options.sigma_max_s_per_m * s_scale * (1 + margin)};
        count = solver::count_zeros(eq, line.q, box, result.evaluations, options.max_evaluations);
        if (count || result.evaluations >= options.max_evaluations)
            break;
    }
    result.count = count.value_or(-1);
    if (count && *count > options.max_count) {
        result.unresolved = Unresolved::TooManyGrounds;
        result.flags |= Unresolvable;
        return result;
    }
    const std::vector<cplx> seeds = solver::local_seeds(eq, line.q, box);
    const solver::RootSearch found = solver::find_roots(
        eq, line.q, box, count.value_or(-1), seeds, result.evaluations, options.max_evaluations);
    result.complete = count.has_value() && found.complete;

    for (const solver::FoundRoot& root : found.roots)
        result.solutions.push_back(
            describe(probe, line, chain, eq, root, z_meter_ohm, freq_hz, options));
    std::sort(result.solutions.begin(), result.solutions.end(),
              [](const GroundSolution& x, const GroundSolution& y) {
                  return std::abs(x.gamma_l) < std::abs(y.gamma_l);
              });
    if (result.solutions.empty())
        result.flags |= NoSolution;
    if (!result.complete)
        result.flags |= Incomplete;
    add_near_grounds(result, line, chain, z_meter_ohm, options);
    return result;
}

std::string unresolved_reason(Unresolved why, double nu, int count, const SolveOptions& options) {
    const auto text = [](double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.4g", v);
        return std::string(buf);
    };
    switch (why) {
    case Unresolved::ProbeTooLong:
        return "the probe is " + text(nu) +
               " half-waves long in the densest ground of the box, above the " +
               text(options.max_nu) + " the search takes on";
    case Unresolved::TooManyGrounds:
        return "the box holds " + std::to_string(count) + " grounds, above the " +
               std::to_string(options.max_count) + " the search lists";
    case Unresolved::No:
        break;
    }
    return {};
}

} // namespace ardenca::calc
