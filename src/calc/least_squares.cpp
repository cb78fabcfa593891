#include "least_squares.h"

#include <cmath>

namespace ardenca::calc::lsq {

LmResult levenberg_marquardt(const Residuals& residuals, Eigen::VectorXd start,
                             const LmOptions& options) {
    LmResult out;
    out.x = std::move(start);
    Eigen::VectorXd r, r_try;
    Eigen::MatrixXd jac, jac_try;
    if (!residuals(out.x, r, jac) || !r.allFinite() || !jac.allFinite()) {
        out.cost = INFINITY;
        return out;
    }
    out.evaluated = true;
    out.cost = r.squaredNorm();
    // Marquardt's scaling: the damping grows each unknown's own curvature.
    double lambda = 1e-3;
    for (int it = 0; it < options.max_iterations; ++it) {
        out.iterations = it + 1;
        const Eigen::MatrixXd a = jac.transpose() * jac;
        const Eigen::VectorXd g = jac.transpose() * r;
        bool improved = false;
        while (lambda < 1e12) {
            Eigen::MatrixXd damped = a;
            for (Eigen::Index k = 0; k < a.rows(); ++k)
                damped(k, k) += lambda * std::max(a(k, k), 1e-12);
            const Eigen::VectorXd step = damped.ldlt().solve(-g);
            const Eigen::VectorXd x_try = out.x + step;
            if (step.allFinite() && residuals(x_try, r_try, jac_try) && r_try.allFinite() &&
                jac_try.allFinite()) {
                const double cost = r_try.squaredNorm();
                if (cost < out.cost) {
                    const double gain = out.cost - cost;
                    out.x = x_try;
                    r.swap(r_try);
                    jac.swap(jac_try);
                    out.cost = cost;
                    lambda = std::max(lambda / 3, 1e-12);
                    improved = true;
                    if (gain <= options.relative_tolerance * (cost + 1e-300))
                        return out;
                    break;
                }
            }
            lambda *= 4;
        }
        if (!improved)
            break;
    }
    return out;
}

} // namespace ardenca::calc::lsq
