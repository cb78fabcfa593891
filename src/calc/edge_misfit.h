// The misfit of a ground to a reading in the meter's own terms,
//   chi2 = ((R_model - R) / u_R)^2 + ((X_model - X) / u_X)^2,
// through the fixture chain, and its local minima along one edge of the ground box.
// Along an edge one of eps_r and sigma is fixed and the other runs in its logarithm t;
// chi2(t) is smooth, and its slope comes from the same evaluation as its value.
#pragma once

#include "ground_model.h"
#include "probe_fixture.h"

#include <vector>

namespace ardenca::calc::solver {

struct MisfitPoint {
    double t = 0;
    double miss_r = 0; // (R_model - R) / u_R
    double miss_x = 0; // (X_model - X) / u_X
    double chi2 = 0;
    double slope = 0; // d chi2 / dt
    double speed = 0; // |d (R / u_R, X / u_X) / dt|
    double du_dt = 0; // |d u / dt|, u = gamma l
    double re_u = 0;
    double ripple = 0;       // the size of the line's ringing at the meter, in standard deviations
    double y_r = 0, y_i = 0; // the model's admittance 1 / Z at the meter
    double y_speed = 0;      // |d (1 / Z) / dt|
};

class Misfit {
  public:
    // Given the line, the chain to the meter, the reading and its 1-sigma errors.
    Misfit(const ProbeLine& line, const Bilinear& chain, cplx z_meter_ohm, double u_r_ohm,
           double u_x_ohm);

    // Given the complex permittivity and its derivative along the path, the misfit.
    MisfitPoint at(cplx eps, cplx deps_dt) const;
    // Given a ground, chi2.
    double chi2(double sigma_s_per_m, double eps_r) const;
    // Given a distance d in standard deviations, a bound on |1 / Z| below which the
    // model lies farther than d from the reading.
    double y_far(double d) const;

    const ProbeLine& line() const { return line_; }

  private:
    ProbeLine line_;
    Bilinear chain_;
    cplx z_meter_;
    double u_r_, u_x_;
};

// One edge: eps_r fixed (sigma runs, t = ln sigma) or sigma fixed (eps_r runs, t = ln eps_r).
class EdgePath {
  public:
    EdgePath(const Misfit& misfit, bool sigma_runs, double fixed_value);
    // Given t, the misfit there.
    MisfitPoint at(double t) const;
    // Given t, the ground there.
    double sigma_at(double t) const;
    double eps_r_at(double t) const;
    const Misfit& misfit() const { return misfit_; }

  private:
    const Misfit& misfit_;
    bool sigma_runs_;
    double fixed_;
    double s_per_sigma_;
};

struct EdgeScan {
    MisfitPoint first, last;         // at the two ends
    std::vector<MisfitPoint> minima; // inside the edge, with chi2 <= the limit
};

// Given an edge from t0 to t1 and a limit, every local minimum of chi2 inside the edge
// with chi2 at most the limit: steps short enough that neither the approach of the model
// to the reading (a step moves it at most half its distance beyond the limit, or a
// quarter of a standard deviation near it, checked against where it actually went; or,
// while |Z| is too large to fit, 1 / Z at most half its way to that bound) nor
// the ringing of the line (|du| at most pi / 8 while the ringing is large enough to
// matter: the spacing follows nu, since |gamma l| reaches about pi nu at the top of the
// box) can pass a minimum by; a sign change of the slope brackets one, Brent's method on
// the slope finds it. Adds the evaluations to `evaluations`.
EdgeScan scan_edge(const EdgePath& edge, double t0, double t1, double chi2_limit,
                   long& evaluations);

} // namespace ardenca::calc::solver
