// The soil models against their textbook forms, and their derivatives against
// difference quotients.
#include "calc/soil_model.h"
#include "soils.h"

#include <gtest/gtest.h>

namespace ardenca::calc {
namespace {

using namespace soil_test;

TEST(SoilModel, EachFamilyIsItsTextbookForm) {
    const struct {
        SoilModel model;
        SoilParameters p;
        Ground (*expected)(const SoilParameters&, double);
    } cases[] = {
        {SoilModel::Constant,
         {0.02, 15},
         [](const SoilParameters& p, double) {
             return Ground{p[0], p[1]};
         }},
        {SoilModel::Messier,
         {0.004, 9},
         [](const SoilParameters& p, double f) { return messier(p[0], p[1], f); }},
        {SoilModel::Jonscher,
         {0.003, 6, 40, 0.35},
         [](const SoilParameters& p, double f) { return jonscher(p[0], p[1], p[2], p[3], f); }},
    };
    for (const auto& c : cases)
        for (double f : {0.3e6, 1e6, 7.1e6, 29.7e6}) {
            const SoilGround g = soil_ground(c.model, c.p, f);
            const Ground e = c.expected(c.p, f);
            EXPECT_NEAR(g.sigma_s_per_m / e.sigma, 1, 1e-12) << model_name(c.model) << f;
            EXPECT_NEAR(g.eps_r / e.eps_r, 1, 1e-12) << model_name(c.model) << f;
            // Causal and passive: eps_r does not rise and sigma does not fall with f.
            const SoilGround up = soil_ground(c.model, c.p, 1.01 * f);
            EXPECT_LE(up.eps_r, g.eps_r);
            EXPECT_GE(up.sigma_s_per_m, g.sigma_s_per_m);
        }
}

TEST(SoilModel, DerivativesMatchDifferenceQuotients) {
    for (auto [model, p] : {std::pair{SoilModel::Constant, SoilParameters{0.02, 15}},
                            {SoilModel::Messier, {0.004, 9}},
                            {SoilModel::Jonscher, {0.003, 6, 40, 0.35}}})
        for (double f : {1.5e6, 21e6}) {
            const SoilEps at = soil_eps(model, p, f);
            for (int k = 0; k < parameter_count(model); ++k) {
                const auto i = static_cast<std::size_t>(k);
                const double h = 1e-6 * p[i];
                SoilParameters hi = p, lo = p;
                hi[i] += h;
                lo[i] -= h;
                const std::complex<double> q =
                    (soil_eps(model, hi, f).eps - soil_eps(model, lo, f).eps) / (2 * h);
                EXPECT_LT(std::abs(q - at.d_eps[i]), 1e-6 * std::abs(q)) << model_name(model) << k;
            }
        }
}

TEST(SoilModel, DomainAndNames) {
    EXPECT_TRUE(parameters_valid(SoilModel::Jonscher, {0, 1, 0, 0.5}));
    EXPECT_FALSE(parameters_valid(SoilModel::Jonscher, {0.01, 5, 3, 1}));
    EXPECT_FALSE(parameters_valid(SoilModel::Messier, {0, 5}));
    EXPECT_FALSE(parameters_valid(SoilModel::Constant, {0.01, 0.9}));
    EXPECT_EQ(parameter_names(SoilModel::Jonscher)[0], "sigma_dc_s_per_m");
    EXPECT_EQ(parameter_names(SoilModel::Jonscher)[3], "n");
}

} // namespace
} // namespace ardenca::calc
