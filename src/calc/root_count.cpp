#include "root_count.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace ardenca::calc::solver {

namespace {

// One side of the box: the fixed coordinate and the running one. Along an s side the
// running parameter is ln s, along an eps_r side it is sqrt(eps_r), so that halving
// the parameter splits the image in u roughly evenly.
struct Side {
    bool runs_in_s;
    double fixed; // eps_r on an s side, s on an eps_r side
    double p_from;
    double p_to;

    double value(double p) const { return runs_in_s ? std::exp(p) : p * p; }
    cplx w(double p) const {
        const double v = value(p);
        return runs_in_s ? cplx(-fixed, v) : cplx(-v, fixed);
    }
};

struct Point {
    double p;
    cplx u;
    cplx g;
    cplx dg;
};

struct Piece {
    Point a;
    Point b;
};

class Winding {
  public:
    Winding(const ProbeEquation& eq, double q, long& evaluations, long max_evaluations)
        : eq_(eq), q_(q), sqrt_q_(std::sqrt(q)), evaluations_(evaluations),
          max_evaluations_(max_evaluations) {}

    bool spent() const { return evaluations_ >= max_evaluations_; }

    Point point(const Side& side, double p) {
        const cplx u = std::sqrt(q_ * side.w(p));
        ++evaluations_;
        const GValue v = eq_.at(u);
        return {p, u, v.g, v.dg};
    }

    // Given a side with its two end points, adds the change of arg g along it; false
    // when some piece cannot be certified free of zeros.
    bool add_side(const Side& side, const Point& from, const Point& to, int first_pieces) {
        stack_.clear();
        Point left = from;
        for (int i = 1; i <= first_pieces; ++i) {
            if (spent())
                return false;
            const Point right =
                i == first_pieces
                    ? to
                    : point(side, side.p_from + (side.p_to - side.p_from) * i / first_pieces);
            stack_.push_back({left, right});
            left = right;
        }
        while (!stack_.empty()) {
            const Piece piece = stack_.back();
            stack_.pop_back();
            if (certified(side, piece)) {
                turn_ += std::arg(piece.b.g * std::conj(piece.a.g));
                continue;
            }
            const double mid = 0.5 * (piece.a.p + piece.b.p);
            if (!(std::abs(piece.b.p - piece.a.p) > 1e-13 * std::max(1.0, std::abs(mid))) ||
                spent())
                return false;
            const Point m = point(side, mid);
            if (m.g == 0.0)
                return false;
            stack_.push_back({piece.a, m});
            stack_.push_back({m, piece.b});
        }
        return true;
    }

    double turns() const { return turn_ / (2 * prog_pi); }

  private:
    // The image of the piece under g cannot reach zero nor wind around it when its
    // length, at most max|g'| times the piece's length in u, is below |g(a)| + |g(b)|:
    // any path from g(a) to g(b) that passes zero or sweeps half a turn is at least
    // that long. Re u and |u| are monotone along each side, so their extremes over a
    // piece are at its ends; |du| = sqrt(q) / (2 sqrt|w|) |dw| with |w| >= the running
    // value and >= |w| at the piece's lower end. max|g'| is bounded twice: from
    // g' = 1 - E + 2 (u + c) E, and from g' at the ends plus max|g''| times the length,
    // g'' = 4 E (1 - u - c); the second is what keeps pieces long next to a near-double
    // zero, where g and g' are both small.
    bool certified(const Side& side, const Piece& piece) const {
        const double lo = std::min(side.value(piece.a.p), side.value(piece.b.p));
        const double hi = std::max(side.value(piece.a.p), side.value(piece.b.p));
        const double length_u =
            sqrt_q_ * std::min(std::sqrt(hi) - std::sqrt(lo),
                               (hi - lo) / (2 * std::sqrt(std::hypot(lo, side.fixed))));
        const double re_min = std::min(piece.a.u.real(), piece.b.u.real());
        const double u_max = std::max(std::abs(piece.a.u), std::abs(piece.b.u));
        const double c_abs = std::abs(eq_.c);
        const double e_max = std::exp(-2 * re_min);
        const double dg_max = std::min(1 + e_max * (1 + 2 * u_max + 2 * c_abs),
                                       std::min(std::abs(piece.a.dg), std::abs(piece.b.dg)) +
                                           4 * e_max * (1 + u_max + c_abs) * length_u);
        const double rounding = 1e-12 * (1 + u_max + c_abs);
        return dg_max * length_u * (1 + 1e-9) + rounding <
               std::abs(piece.a.g) + std::abs(piece.b.g);
    }

    const ProbeEquation& eq_;
    double q_;
    double sqrt_q_;
    long& evaluations_;
    long max_evaluations_;
    double turn_ = 0;
    std::vector<Piece> stack_;
};

} // namespace

std::optional<int> count_zeros(const ProbeEquation& eq, double q, const GroundBox& box,
                               long& evaluations, long max_evaluations) {
    Winding winding(eq, q, evaluations, max_evaluations);
    const double ls_min = std::log(box.s_min);
    const double ls_max = std::log(box.s_max);
    const double re_min = std::sqrt(box.eps_min);
    const double re_max = std::sqrt(box.eps_max);
    // Counter-clockwise in w = -eps_r + j s: along s_min towards smaller eps_r, up the
    // eps_min side, back along s_max, down the eps_max side.
    const std::array<Side, 4> sides{
        Side{false, box.s_min, re_max, re_min}, Side{true, box.eps_min, ls_min, ls_max},
        Side{false, box.s_max, re_min, re_max}, Side{true, box.eps_max, ls_max, ls_min}};
    std::array<Point, 4> corners;
    for (int i = 0; i < 4; ++i) {
        corners[i] = winding.point(sides[i], sides[i].p_from);
        if (corners[i].g == 0.0)
            return std::nullopt;
    }
    // A box wider than the budget's worth of first pieces could never be walked round.
    const double pieces = std::ceil((ls_max - ls_min) / 2.3);
    if (!(pieces < static_cast<double>(max_evaluations - evaluations) / 2))
        return std::nullopt;
    const int s_pieces = std::max(1, static_cast<int>(pieces));
    for (int i = 0; i < 4; ++i) {
        const Point& to = corners[(i + 1) % 4];
        const Point end{sides[i].p_to, to.u, to.g, to.dg};
        if (!winding.add_side(sides[i], corners[i], end, sides[i].runs_in_s ? s_pieces : 2))
            return std::nullopt;
    }
    const double turns = winding.turns();
    const long n = std::lround(turns);
    if (n < 0 || std::abs(turns - static_cast<double>(n)) > 1e-3)
        return std::nullopt;
    return static_cast<int>(n);
}

} // namespace ardenca::calc::solver
