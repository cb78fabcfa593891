// Causal models of a soil's complex relative permittivity across a band,
//   eps*(f) = eps_r(f) - j sigma(f) / (w eo),
// each a sum of terms that a passive, causal material can have:
//   constant  sigma, eps_r;
//   messier   a DC conduction sigma0 and a high-frequency eps_inf, joined by the
//             square-root term (1 - j) sqrt(2 sigma0 eps_inf / (w eo));
//   jonscher  DC conduction sigma0, eps_inf and a constant-phase term of strength chi
//             and exponent n, referred to 1 MHz: chi (f / 1 MHz)^(n - 1) (sin(n pi/2)
//             - j cos(n pi/2)).
// Parameters are in SI (S/m for conductivities) in the order of parameter_names().
#pragma once

#include <array>
#include <complex>
#include <span>
#include <string_view>

namespace ardenca::calc {

enum class SoilModel { Constant, Messier, Jonscher };

inline constexpr int max_soil_parameters = 4;
using SoilParameters = std::array<double, max_soil_parameters>; // unused tail is 0

// The constant-phase term's reference frequency.
inline constexpr double jonscher_ref_hz = 1e6;

// Given a model, how many parameters it has.
int parameter_count(SoilModel model);

// Given a model, its parameters' names as the exports write them: "sigma_dc_s_per_m",
// "eps_inf", "chi", "n" (the constant model: "sigma_s_per_m", "eps_r").
std::span<const std::string_view> parameter_names(SoilModel model);

// Given a model, its name: "constant", "messier", "jonscher".
std::string_view model_name(SoilModel model);

// Given parameters, whether they lie in the model's domain (sigma >= 0, with sigma > 0
// for constant and messier; eps >= 1; chi >= 0; 0 < n < 1; all finite).
bool parameters_valid(SoilModel model, const SoilParameters& p);

// A model's complex relative permittivity at one frequency and its derivatives with
// respect to each parameter.
struct SoilEps {
    std::complex<double> eps;
    std::array<std::complex<double>, max_soil_parameters> d_eps{};
};

// Given a model, its parameters and a frequency, eps* and d eps* / d parameter.
SoilEps soil_eps(SoilModel model, const SoilParameters& p, double freq_hz);

// Given a model, its parameters and a frequency, (sigma in S/m, eps_r) there.
struct SoilGround {
    double sigma_s_per_m = 0;
    double eps_r = 0;
};
SoilGround soil_ground(SoilModel model, const SoilParameters& p, double freq_hz);

} // namespace ardenca::calc
