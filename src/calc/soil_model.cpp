#include "soil_model.h"

#include "ground_model.h"

#include <cmath>

namespace ardenca::calc {

using solver::cplx;
using solver::prog_eo;
using solver::prog_pi;

namespace {

constexpr std::string_view constant_names[] = {"sigma_s_per_m", "eps_r"};
constexpr std::string_view messier_names[] = {"sigma_dc_s_per_m", "eps_inf"};
constexpr std::string_view jonscher_names[] = {"sigma_dc_s_per_m", "eps_inf", "chi", "n"};

double w_eo(double freq_hz) {
    return 2 * prog_pi * freq_hz * prog_eo;
}

} // namespace

int parameter_count(SoilModel model) {
    return model == SoilModel::Jonscher ? 4 : 2;
}

std::span<const std::string_view> parameter_names(SoilModel model) {
    switch (model) {
    case SoilModel::Constant:
        return constant_names;
    case SoilModel::Messier:
        return messier_names;
    case SoilModel::Jonscher:
        break;
    }
    return jonscher_names;
}

std::string_view model_name(SoilModel model) {
    switch (model) {
    case SoilModel::Constant:
        return "constant";
    case SoilModel::Messier:
        return "messier";
    case SoilModel::Jonscher:
        break;
    }
    return "jonscher";
}

bool parameters_valid(SoilModel model, const SoilParameters& p) {
    for (int i = 0; i < parameter_count(model); ++i)
        if (!std::isfinite(p[static_cast<std::size_t>(i)]))
            return false;
    if (model == SoilModel::Jonscher)
        return p[0] >= 0 && p[1] >= 1 && p[2] >= 0 && p[3] > 0 && p[3] < 1;
    return p[0] > 0 && p[1] >= 1;
}

SoilEps soil_eps(SoilModel model, const SoilParameters& p, double freq_hz) {
    const double we = w_eo(freq_hz);
    const cplx j(0, 1);
    SoilEps out;
    // The DC conduction and eps (or eps_inf) enter every model alike.
    out.eps = cplx(p[1], -p[0] / we);
    out.d_eps[0] = -j / we;
    out.d_eps[1] = 1;
    if (model == SoilModel::Messier) {
        // (1 - j) g with g = sqrt(2 sigma0 eps_inf / (w eo)); dg/dx = g / (2 x).
        const double g = std::sqrt(2 * p[0] * p[1] / we);
        out.eps += cplx(g, -g);
        out.d_eps[0] += cplx(1, -1) * (g / (2 * p[0]));
        out.d_eps[1] += cplx(1, -1) * (g / (2 * p[1]));
    } else if (model == SoilModel::Jonscher) {
        // chi x^(n-1) (sin(n pi/2) - j cos(n pi/2)) = -j chi x^(n-1) e^(j n pi/2).
        const double x = freq_hz / jonscher_ref_hz;
        const double half_turn = p[3] * prog_pi / 2;
        const cplx shape =
            -j * std::pow(x, p[3] - 1) * cplx(std::cos(half_turn), std::sin(half_turn));
        out.eps += p[2] * shape;
        out.d_eps[2] = shape;
        out.d_eps[3] = p[2] * shape * cplx(std::log(x), prog_pi / 2);
    }
    return out;
}

SoilGround soil_ground(SoilModel model, const SoilParameters& p, double freq_hz) {
    const cplx eps = soil_eps(model, p, freq_hz).eps;
    return {-eps.imag() * w_eo(freq_hz), eps.real()};
}

} // namespace ardenca::calc
