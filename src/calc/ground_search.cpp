#include "ground_search.h"

#include "checked_math.h"
#include "constants.h"

#include <stdexcept>

namespace ardenca::calc {

namespace {

// Which side of its target the model lay at a loop's move; None until the loop moves.
enum Side : int { None = 0, Below = 1, Above = 2 };

constexpr double start_step = 1.11;

// Reached the evaluation bound.
struct BoundReached {};

// Counts the evaluations of one run against the bound.
class BoundedModel {
  public:
    BoundedModel(const AirLine& line, std::uint64_t& count) : line_(line), count_(count) {}

    void evaluate(double G, double C, MediumResult& out) {
        if (count_ == max_search_evaluations) [[unlikely]]
            throw BoundReached();
        ++count_;
        calc(line_, G, C, out);
    }

  private:
    const AirLine& line_;
    std::uint64_t& count_;
};

// Moves G and C together: the first stage raises them when the model lies below its
// target, the second stage lowers them.
void move_both(double& G, double& C, SearchStage stage, Side side, double step) {
    const bool up = (side == Below) == (stage == SearchStage::First);
    if (up) {
        G = ck::mul(G, step);
        C = ck::mul(C, step);
    } else {
        G = ck::div(G, step);
        C = ck::div(C, step);
    }
}

// The outer move: the first stage moves G alone, up when below its target; the
// second stage moves C alone, down when below.
void move_one(double& G, double& C, SearchStage stage, Side side, double step) {
    if (stage == SearchStage::First)
        G = side == Below ? ck::mul(G, step) : ck::div(G, step);
    else
        C = side == Below ? ck::div(C, step) : ck::mul(C, step);
}

// The search proper; G and C in res follow every move, also up to a fault.
void run(const AirLine& line, SearchStage stage, double rst, double xst, SearchResult& res) {
    const bool first = stage == SearchStage::First;
    const double inner_target = first ? xst : rst;
    const double outer_target = first ? rst : xst;

    BoundedModel model(line, res.evaluations);
    MediumResult& out = res.model;
    const double& inner_value = first ? out.i_out : out.r_out;
    const double& outer_value = first ? out.r_out : out.i_out;
    double& G = res.g_s_per_m;
    double& C = res.c_f_per_m;

    // Start with the conductance and the susceptance w C both at 0.01 S/m.
    C = ck::div(1.0, ck::mul(ck::mul(ck::mul(2.0, pi), line.freq_hz), 100.0));
    G = 0.01;
    res.started = true;
    double outer_step = start_step;

    // The markers persist across passes of the outer loop; only inner_step restarts.
    Side inner_side = None, inner_last_side = None;
    Side outer_side = None, outer_last_side = None;

    while (!(outer_step < resolution)) {
        double inner_step = start_step;
        while (!(inner_step < resolution)) {
            if (inner_side != inner_last_side) {
                inner_step = ck::pow(inner_step, 0.5);
                inner_last_side = inner_side;
            }
            model.evaluate(G, C, out);
            // An exact tie would repeat the same evaluation forever: it ends the
            // inner loop as if its factor had reached the resolution.
            if (inner_value == inner_target)
                break;
            if (inner_value < inner_target) {
                inner_side = Below;
                move_both(G, C, stage, Below, inner_step);
            }
            if (inner_value > inner_target) {
                inner_side = Above;
                move_both(G, C, stage, Above, inner_step);
            }
        }

        // The values of the inner loop's last evaluation, made before its last move.
        if (outer_value < outer_target) {
            move_one(G, C, stage, Below, outer_step);
            outer_side = Below;
        }
        if (outer_value > outer_target) {
            move_one(G, C, stage, Above, outer_step);
            outer_side = Above;
        }
        if (outer_side != outer_last_side) {
            outer_step = ck::pow(outer_step, 0.5);
            outer_last_side = outer_side;
        }
        // Dielectric constant below 1: give up; the final evaluation then divides by
        // zero and the run ends in its fault path.
        if (C < line.c_o_f_per_m) {
            C = 0;
            G = 0;
            break;
        }
    }

    model.evaluate(G, C, out);
}

} // namespace

SearchResult search_ground(const AirLine& line, SearchStage stage, double rst_ohm, double xst_ohm) {
    if (!line.complete())
        throw std::invalid_argument("search_ground: the line in air is incomplete");
    SearchResult res;
    try {
        run(line, stage, rst_ohm, xst_ohm, res);
        res.end = SearchEnd::Completed;
    } catch (const ArithmeticFault& fault) {
        res.end = SearchEnd::Fault;
        res.fault_kind = fault.kind();
        res.fault_operation = fault.operation();
    } catch (const BoundReached&) {
        res.end = SearchEnd::Bound;
    }
    return res;
}

ClassicSolution solve_classic(const AirLine& line, double rst_ohm, double xst_ohm) {
    ClassicSolution sol;
    double eps_r_found = 0;
    const auto run_stage = [&](SearchStage stage) {
        const SearchResult r = search_ground(line, stage, rst_ohm, xst_ohm);
        ++sol.runs;
        sol.evaluations += r.evaluations;
        if (!r.completed()) {
            ++sol.failed_runs;
            return;
        }
        try {
            sol.ground = ground_from_line(r.g_s_per_m, r.c_f_per_m, line);
        } catch (const ArithmeticFault&) {
            ++sol.failed_runs;
            return;
        }
        sol.found = true;
        sol.g_s_per_m = r.g_s_per_m;
        sol.c_f_per_m = r.c_f_per_m;
        sol.model = r.model;
        eps_r_found = sol.ground.eps_r;
    };
    run_stage(SearchStage::First);
    if (sol.failed_runs > 0)
        run_stage(SearchStage::Second);
    if (eps_r_found > 250)
        run_stage(SearchStage::Second);
    return sol;
}

} // namespace ardenca::calc
