#include "ground_search.h"

#include "checked_math.h"

namespace ardenca::calc {

namespace {

// Which side of its target the model lay at a loop's move; None until the loop moves.
enum Side : int { None = 0, Below = 1, Above = 2 };

constexpr double start_step = 1.11;

// Counts evaluations of one run against the bound, and in total.
class BoundedModel {
  public:
    BoundedModel(const CalcState& s, std::uint64_t& total) : s_(s), total_(total) {}

    void evaluate(MediumResult& out) {
        if (run_count_ == max_search_evaluations) [[unlikely]]
            throw SearchBoundReached();
        ++run_count_;
        ++total_;
        calc(s_, s_.G, s_.C, out);
    }

  private:
    const CalcState& s_;
    std::uint64_t& total_;
    std::uint64_t run_count_ = 0;
};

// Moves G and C together: the first stage raises them when the model lies below its
// target, the second stage lowers them.
void move_both(CalcState& s, SearchStage stage, Side side, double step) {
    const bool up = (side == Below) == (stage == SearchStage::First);
    if (up) {
        s.G = ck::mul(s.G, step);
        s.C = ck::mul(s.C, step);
    } else {
        s.G = ck::div(s.G, step);
        s.C = ck::div(s.C, step);
    }
}

// The outer move: the first stage moves G alone, up when below its target; the
// second stage moves C alone, down when below.
void move_one(CalcState& s, SearchStage stage, Side side, double step) {
    if (stage == SearchStage::First)
        s.G = side == Below ? ck::mul(s.G, step) : ck::div(s.G, step);
    else
        s.C = side == Below ? ck::div(s.C, step) : ck::mul(s.C, step);
}

} // namespace

MediumResult search_ground(CalcState& s, SearchStage stage, std::uint64_t& evaluations) {
    const bool first = stage == SearchStage::First;
    const double& inner_target = first ? s.xst : s.rst;
    const double& outer_target = first ? s.rst : s.xst;

    BoundedModel model(s, evaluations);
    MediumResult res;
    const double& inner_value = first ? res.i_out : res.r_out;
    const double& outer_value = first ? res.r_out : res.i_out;

    // Start with the conductance and the susceptance w C both at 0.01 S/m.
    s.C = ck::div(1.0, ck::mul(ck::mul(ck::mul(2.0, s.pi), s.f), 100.0));
    s.G = 0.01;
    double outer_step = start_step;

    // The markers persist across passes of the outer loop; only inner_step restarts.
    Side inner_side = None, inner_last_side = None;
    Side outer_side = None, outer_last_side = None;

    while (!(outer_step < s.resolution)) {
        double inner_step = start_step;
        while (!(inner_step < s.resolution)) {
            if (inner_side != inner_last_side) {
                inner_step = ck::pow(inner_step, 0.5);
                inner_last_side = inner_side;
            }
            model.evaluate(res);
            // An exact tie would repeat the same evaluation forever: it ends the
            // inner loop as if its factor had reached the resolution.
            if (inner_value == inner_target)
                break;
            if (inner_value < inner_target) {
                inner_side = Below;
                move_both(s, stage, Below, inner_step);
            }
            if (inner_value > inner_target) {
                inner_side = Above;
                move_both(s, stage, Above, inner_step);
            }
        }

        // The values of the inner loop's last evaluation, made before its last move.
        if (outer_value < outer_target) {
            move_one(s, stage, Below, outer_step);
            outer_side = Below;
        }
        if (outer_value > outer_target) {
            move_one(s, stage, Above, outer_step);
            outer_side = Above;
        }
        if (outer_side != outer_last_side) {
            outer_step = ck::pow(outer_step, 0.5);
            outer_last_side = outer_side;
        }
        // Dielectric constant below 1: give up; the final evaluation then divides by
        // zero and the run ends in its fault path.
        if (s.C < s.C_o) {
            s.C = 0;
            s.G = 0;
            break;
        }
    }

    model.evaluate(res);
    return res;
}

} // namespace ardenca::calc
