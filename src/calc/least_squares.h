// Levenberg-Marquardt for small nonlinear least-squares problems: minimise |r(x)|^2
// over a handful of unknowns, r and its Jacobian given by the caller. Bounds are the
// caller's affair (a parametrisation that has none, or a clamp applied in the model).
#pragma once

#include <Eigen/Dense>

#include <functional>

namespace ardenca::calc::lsq {

// Given x, fills r(x) and the Jacobian dr/dx (rows: residuals, columns: unknowns);
// returns false when x cannot be evaluated (the step is then refused).
using Residuals =
    std::function<bool(const Eigen::VectorXd& x, Eigen::VectorXd& r, Eigen::MatrixXd& jacobian)>;

struct LmOptions {
    int max_iterations = 60;
    double relative_tolerance = 1e-10; // stop when a step lowers the cost by less
};

struct LmResult {
    Eigen::VectorXd x;
    double cost = 0; // |r|^2 at x
    int iterations = 0;
    bool evaluated = false; // the start itself could be evaluated
};

// Given the residuals and a start, the least-squares minimum reached from it.
LmResult levenberg_marquardt(const Residuals& residuals, Eigen::VectorXd start,
                             const LmOptions& options = {});

} // namespace ardenca::calc::lsq
