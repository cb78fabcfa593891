#include "soil_choice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace ardenca::sweep {

namespace {

struct FitData {
    std::vector<calc::FitReading> readings;
    std::vector<calc::FitCandidate> candidates;
};

// Given a location, its finite readings (with the probe as at each frequency) and every
// ground its points have, the chosen ones marked.
void add_location(const SweepSetup& setup, const LocationResult& loc, FitData& data) {
    for (const PointResult& p : loc.points) {
        if (!(p.flags & InfiniteReading))
            data.readings.push_back({p.freq_hz, p.z_measured_ohm, probe_at(setup, p.freq_hz)});
        for (std::size_t k = 0; k < p.solutions.size(); ++k) {
            const calc::GroundSolution& g = p.solutions[k];
            data.candidates.push_back(
                {p.freq_hz, g.sigma_s_per_m, g.eps_r, g.u_sigma_s_per_m, g.u_eps_r, p.chosen == k});
        }
    }
}

// Given a ground and the model there, the larger of the two coordinates' distances in
// their combined uncertainty.
double distance_u(const calc::GroundSolution& g, const calc::ModelGround& m) {
    const auto one = [](double x, double ux, double y, double uy) {
        const double u = std::hypot(ux, uy);
        if (std::isnan(u) || std::isinf(u))
            return 0.0; // a ground that nothing determines is as near as any
        return u > 0 ? std::abs(x - y) / u : std::numeric_limits<double>::infinity();
    };
    return std::max(one(g.sigma_s_per_m, g.u_sigma_s_per_m, m.sigma_s_per_m, m.u_sigma_s_per_m),
                    one(g.eps_r, g.u_eps_r, m.eps_r, m.u_eps_r));
}

double log_distance2(const calc::GroundSolution& g, const calc::ModelGround& m) {
    const double ds = std::log(g.sigma_s_per_m / m.sigma_s_per_m);
    const double de = std::log(g.eps_r / m.eps_r);
    const double d2 = ds * ds + de * de;
    return std::isnan(d2) ? std::numeric_limits<double>::infinity() : d2;
}

void choose_by_model(PointResult& p, const calc::SoilFit& fit) {
    p.model = calc::model_ground(fit, p.freq_hz);
    if (p.solutions.empty())
        return;
    std::size_t best = 0;
    for (std::size_t k = 1; k < p.solutions.size(); ++k)
        if (log_distance2(p.solutions[k], *p.model) < log_distance2(p.solutions[best], *p.model))
            best = k;
    p.chosen = best;
    const bool near = distance_u(p.solutions[best], *p.model) <= off_model_u;
    bool other_near = false;
    for (std::size_t k = 0; k < p.solutions.size(); ++k)
        other_near =
            other_near || (k != best && distance_u(p.solutions[k], *p.model) <= off_model_u);
    if (!near) {
        p.flags |= OffModel;
        return;
    }
    // A reading the continuity choice skipped is back: the model vouches for it.
    p.flags &= ~static_cast<unsigned>(Outlier);
    if (other_near)
        p.flags |= Ambiguous;
    else
        p.flags &= ~static_cast<unsigned>(Ambiguous);
}

std::string g4(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

} // namespace

std::optional<FitChoice> fit_choice_from_name(std::string_view name) {
    const auto named = std::find(fit_choice_names.begin(), fit_choice_names.end(), name);
    if (named == fit_choice_names.end())
        return std::nullopt;
    return static_cast<FitChoice>(named - fit_choice_names.begin());
}

std::vector<calc::SoilModel> models_of(FitChoice choice) {
    using calc::SoilModel;
    switch (choice) {
    case FitChoice::None:
        return {};
    case FitChoice::Auto:
        return {SoilModel::Constant, SoilModel::Messier, SoilModel::Jonscher};
    case FitChoice::Constant:
        return {SoilModel::Constant};
    case FitChoice::Messier:
        return {SoilModel::Messier};
    case FitChoice::Jonscher:
        break;
    }
    return {SoilModel::Jonscher};
}

void fit_location(const SweepSetup& setup, LocationResult& location,
                  std::span<const calc::SoilModel> models, std::span<const double> at_hz) {
    if (models.empty())
        return;
    FitData data;
    add_location(setup, location, data);
    const calc::SoilFitOutcome out =
        calc::fit_soil(models, data.readings, data.candidates, setup.solve);
    if (models.size() == 1 && !out.tried.empty())
        location.fit = out.tried.front();
    else
        location.fit = out.best;
    if (!location.fit || !location.fit->acceptable) {
        std::string why = "no soil model fits the readings";
        const auto best = std::min_element(
            out.tried.begin(), out.tried.end(),
            [](const calc::SoilFit& a, const calc::SoilFit& b) { return a.bic < b.bic; });
        if (best != out.tried.end())
            why += " (the nearest, " + std::string(calc::model_name(best->model)) +
                   ", misses by chi2/dof " + g4(best->chi2_per_dof) + ", " +
                   g4(100 * best->relative_misfit) + " % of |Z| in the rms, keeping " +
                   std::to_string(best->points_used) + " of " + std::to_string(best->points_total) +
                   " readings)";
        for (double f : at_hz)
            location.at.push_back(ground_at(location, f));
        location.warnings.push_back("No model: " + why +
                                    "; the grounds chosen by continuity stand.");
        return;
    }
    for (PointResult& p : location.points)
        choose_by_model(p, *location.fit);
    for (double f : at_hz)
        location.at.push_back(ground_at(location, f));
}

calc::ModelGround ground_at(const LocationResult& location, double freq_hz) {
    if (location.fit && location.fit->acceptable)
        return calc::model_ground(*location.fit, freq_hz);
    return local_ground(location, freq_hz);
}

calc::ModelGround local_ground(const LocationResult& location, double freq_hz) {
    calc::ModelGround g;
    g.freq_hz = freq_hz;
    g.from_model = false;
    g.sigma_s_per_m = g.eps_r = g.u_sigma_s_per_m = g.u_eps_r = std::nan("");
    const std::vector<PointResult>& pts = location.points;
    g.extrapolated = pts.empty() || freq_hz < pts.front().freq_hz || freq_hz > pts.back().freq_hz;
    if (g.extrapolated)
        return g;
    struct Sum {
        double w = 0, w2u2 = 0, wx = 0, wx2 = 0, k = 0;
    } s, e;
    const auto add = [](Sum& sum, double kernel, double x, double u) {
        if (!(u > 0) || !std::isfinite(u))
            return;
        const double w = kernel / (u * u);
        sum.w += w;
        sum.w2u2 += w * w * u * u;
        sum.wx += w * x;
        sum.wx2 += w * x * x;
        sum.k += kernel;
    };
    for (const PointResult& p : pts) {
        if (!p.chosen || (p.flags & Outlier))
            continue;
        const calc::GroundSolution& c = p.solutions[*p.chosen];
        const double t = std::log(p.freq_hz / freq_hz) / calc::lack_of_fit_width_ln_f;
        const double kernel = std::exp(-0.5 * t * t);
        add(s, kernel, c.sigma_s_per_m, c.u_sigma_s_per_m);
        add(e, kernel, c.eps_r, c.u_eps_r);
    }
    const auto finish = [](const Sum& sum, double& value, double& u) {
        if (!(sum.w > 0))
            return;
        value = sum.wx / sum.w;
        const double var = sum.w2u2 / (sum.w * sum.w);
        // chi^2 per unit weight of kernel: the scatter about the mean in units of u.
        const double chi2 = (sum.wx2 - sum.w * value * value) / std::max(sum.k, 1e-300);
        u = std::sqrt(var * std::max(1.0, chi2));
    };
    finish(s, g.sigma_s_per_m, g.u_sigma_s_per_m);
    finish(e, g.eps_r, g.u_eps_r);
    return g;
}

std::optional<calc::SoilFit> fit_area(const SweepSetup& setup,
                                      std::span<const LocationResult> locations,
                                      std::span<const calc::SoilModel> models) {
    FitData all;
    std::vector<FitData> each(locations.size());
    for (std::size_t l = 0; l < locations.size(); ++l) {
        add_location(setup, locations[l], all);
        add_location(setup, locations[l], each[l]);
    }
    // The lack of fit is read per frequency: the grounds of all locations in order.
    std::stable_sort(all.candidates.begin(), all.candidates.end(),
                     [](const calc::FitCandidate& a, const calc::FitCandidate& b) {
                         return a.freq_hz < b.freq_hz;
                     });
    // Between locations chi^2/dof is above any bound for one place: the model is the one
    // with the smallest BIC among those that keep enough readings.
    std::optional<calc::SoilFit> best;
    for (calc::SoilModel m : models) {
        const auto fit = calc::fit_soil_model(m, all.readings, all.candidates, setup.solve);
        if (fit && fit->points_used >= calc::min_used_fraction * fit->points_total &&
            (!best || fit->bic < best->bic))
            best = fit;
    }
    if (!best)
        return std::nullopt;
    std::vector<calc::SoilParameters> places;
    for (const FitData& d : each)
        if (const auto fit =
                calc::fit_soil_model(best->model, d.readings, d.candidates, setup.solve);
            fit && fit->acceptable)
            places.push_back(fit->value);
    calc::SoilFit area = calc::widened_by_scatter(*best, places);
    area.acceptable = 2 * places.size() > locations.size();
    return area;
}

} // namespace ardenca::sweep
