#include "json_export.h"

#include "flag_names.h"

#include <cmath>
#include <ostream>

namespace ardenca::exports {

namespace {

using json = nlohmann::ordered_json;

json number(double v) {
    return std::isfinite(v) ? json(v) : json(nullptr);
}

json pair(std::complex<double> z) {
    return json::array({number(z.real()), number(z.imag())});
}

json solution_json(const calc::GroundSolution& g) {
    return {{"sigma_s_per_m", number(g.sigma_s_per_m)},
            {"eps_r", number(g.eps_r)},
            {"u_sigma_s_per_m", number(g.u_sigma_s_per_m)},
            {"u_eps_r", number(g.u_eps_r)},
            {"corr", std::isfinite(g.u_sigma_s_per_m) && std::isfinite(g.u_eps_r) ? number(g.corr)
                                                                                  : json(nullptr)},
            {"residual_ohm", number(g.residual_ohm)},
            {"gamma_l", pair(g.gamma_l)},
            {"multiplicity", g.multiplicity},
            {"flags", solution_flag_names(g.flags)},
            {"skin_depth_m", number(g.skin_depth_m)}};
}

} // namespace

json near_json(const std::vector<calc::NearGround>& near) {
    json list = json::array();
    for (const calc::NearGround& g : near)
        list.push_back({{"sigma_s_per_m", number(g.sigma_s_per_m)},
                        {"eps_r", number(g.eps_r)},
                        {"edge", edge_name(g.edge)},
                        {"chi2", number(g.chi2)}});
    return list;
}

namespace {
json model_json(const std::optional<calc::ModelGround>& m) {
    if (!m)
        return nullptr;
    return {{"sigma_s_per_m", number(m->sigma_s_per_m)},
            {"eps_r", number(m->eps_r)},
            {"u_sigma_s_per_m", number(m->u_sigma_s_per_m)},
            {"u_eps_r", number(m->u_eps_r)}};
}

json fit_json(const std::optional<calc::SoilFit>& fit) {
    if (!fit)
        return nullptr;
    json parameters = json::object();
    const auto names = calc::parameter_names(fit->model);
    for (std::size_t k = 0; k < names.size(); ++k)
        parameters[std::string(names[k])] = {{"value", number(fit->value[k])},
                                             {"u", number(fit->u[k])}};
    return {{"model", std::string(calc::model_name(fit->model))},
            {"acceptable", fit->acceptable},
            {"chi2_per_dof", number(fit->chi2_per_dof)},
            {"points_used", fit->points_used},
            {"points_total", fit->points_total},
            {"band_hz", json::array({number(fit->f_min_hz), number(fit->f_max_hz)})},
            {"parameters", std::move(parameters)}};
}

json at_json(const std::vector<calc::ModelGround>& at) {
    json out = json::array();
    for (const calc::ModelGround& m : at)
        out.push_back({{"f_hz", number(m.freq_hz)},
                       {"sigma_s_per_m", number(m.sigma_s_per_m)},
                       {"eps_r", number(m.eps_r)},
                       {"u_sigma_s_per_m", number(m.u_sigma_s_per_m)},
                       {"u_eps_r", number(m.u_eps_r)},
                       {"extrapolated", m.extrapolated},
                       {"source", m.from_model ? "model" : "readings"}});
    return out;
}

// Why the point was left unsearched, or null.
json unresolvable_json(const sweep::PointResult& p, const calc::SolveOptions& options) {
    if (!(p.flags & sweep::Unresolvable))
        return nullptr;
    return {{"reason", calc::unresolved_reason(p.unresolved, p.nu, p.count, options)},
            {"count", p.count >= 0 ? json(p.count) : json(nullptr)}};
}

json point_json(const sweep::PointResult& p, const calc::SolveOptions& options) {
    const bool infinite = (p.flags & sweep::InfiniteReading) != 0;
    json solutions = json::array();
    for (const calc::GroundSolution& g : p.solutions)
        solutions.push_back(solution_json(g));
    return {
        {"f_hz", number(p.freq_hz)},
        {"z_measured_ohm", infinite ? json(nullptr) : pair(p.z_measured_ohm)},
        {"z_probe_ohm", infinite ? json(nullptr) : pair(p.z_probe_ohm)},
        {"nu", number(p.nu)},
        {"solutions", std::move(solutions)},
        {"near", near_json(p.near)},
        {"chosen", p.chosen ? json(*p.chosen) : json(nullptr)},
        {"flags", point_flag_names(p.flags)},
        {"unresolvable", unresolvable_json(p, options)},
        {"skin_depth_m", p.chosen ? number(p.solutions[*p.chosen].skin_depth_m) : json(nullptr)},
        {"model", model_json(p.model)}};
}

json setup_json(const sweep::SweepResult& r) {
    const calc::ProbeSetup& s = r.setup;
    const calc::SolveOptions& o = r.options;
    return {{"spacing_m", number(s.spacing_m)},
            {"radius_m", number(s.radius_m)},
            {"length_m", number(s.length_m)},
            {"ur", number(s.ur)},
            {"matching", s.matching},
            {"match_zo_ohm", number(s.match_zo_ohm)},
            {"match_deg", number(s.match_deg)},
            {"setup_freq_hz", number(r.setup_freq_hz)},
            {"lead_nh", number(s.lead_nh)},
            {"top_pf", number(s.top_pf)},
            {"air_m", number(s.air_m)},
            {"method", r.method == sweep::SolveMethod::Classic ? "classic" : "all"},
            {"sigma_range_s_per_m",
             json::array({number(o.sigma_min_s_per_m), number(o.sigma_max_s_per_m)})},
            {"eps_r_range", json::array({number(o.eps_r_min), number(o.eps_r_max)})},
            {"meter", {{"pct", number(o.meter_pct)}, {"ohm", number(o.meter_ohm)}}},
            {"near_chi2", number(o.near_chi2)}};
}

} // namespace

namespace {

json average_point_json(const sweep::SweepResult& result, const sweep::AveragePoint& a) {
    json which = json::array();
    for (int k : a.interpolated_locations)
        if (k >= 0 && static_cast<std::size_t>(k) < result.locations.size())
            which.push_back(result.locations[static_cast<std::size_t>(k)].path);
    return {{"f_hz", number(a.freq_hz)},
            {"sigma_mean_s_per_m", number(a.sigma_mean_s_per_m)},
            {"sigma_sd_s_per_m", number(a.sigma_sd_s_per_m)},
            {"eps_r_mean", number(a.eps_r_mean)},
            {"eps_r_sd", number(a.eps_r_sd)},
            {"locations", a.locations},
            {"interpolated", a.interpolated},
            {"interpolated_files", std::move(which)}};
}

// Bytes that are not UTF-8 (paths, warnings) are written as U+FFFD.
std::string compact(const json& j) {
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace

json sweep_json(const sweep::SweepResult& result) {
    json files = json::array();
    for (const sweep::LocationResult& loc : result.locations) {
        json points = json::array();
        for (const sweep::PointResult& p : loc.points)
            points.push_back(point_json(p, result.options));
        files.push_back({{"path", loc.path},
                         {"warnings", loc.warnings},
                         {"fit", fit_json(loc.fit)},
                         {"at", at_json(loc.at)},
                         {"points", std::move(points)}});
    }
    json average = nullptr;
    if (result.average) {
        json points = json::array();
        for (const sweep::AveragePoint& a : *result.average)
            points.push_back(average_point_json(result, a));
        average = {{"points", std::move(points)},
                   {"fit", fit_json(result.area_fit)},
                   {"at", at_json(result.area_at)}};
    }
    return {{"setup", setup_json(result)}, {"files", std::move(files)}, {"average", average}};
}

void write_sweep_json(std::ostream& out, const sweep::SweepResult& result) {
    out << "{\"setup\":" << compact(setup_json(result)) << ",\"files\":[";
    for (std::size_t l = 0; l < result.locations.size(); ++l) {
        const sweep::LocationResult& loc = result.locations[l];
        out << (l == 0 ? "" : ",") << "{\"path\":" << compact(loc.path)
            << ",\"warnings\":" << compact(loc.warnings)
            << ",\"fit\":" << compact(fit_json(loc.fit)) << ",\"at\":" << compact(at_json(loc.at))
            << ",\"points\":[";
        for (std::size_t i = 0; i < loc.points.size(); ++i)
            out << (i == 0 ? "" : ",") << compact(point_json(loc.points[i], result.options));
        out << "]}";
    }
    out << "],\"average\":";
    if (result.average) {
        out << "{\"points\":[";
        for (std::size_t i = 0; i < result.average->size(); ++i)
            out << (i == 0 ? "" : ",") << compact(average_point_json(result, (*result.average)[i]));
        out << "],\"fit\":" << compact(fit_json(result.area_fit))
            << ",\"at\":" << compact(at_json(result.area_at)) << '}';
    } else {
        out << "null";
    }
    out << '}';
}

} // namespace ardenca::exports
