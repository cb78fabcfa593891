// What the Solutions window shows, without a toolkit: the answer for the window's
// reading, its summary line, one row of text per ground, and the chosen row, which
// "Show" writes back into the window.
#pragma once

#include "ground_solutions.h"

#include <optional>
#include <string>
#include <vector>

namespace ardenca {

class SolutionsList {
  public:
    // Solves the reading in the window's fields; the choice falls back to the first
    // ground. Raises ArithmeticFault when a field's number overflows.
    void solve(const Ardenca& model);
    void set_result(calc::SolveResult result);
    const calc::SolveResult& result() const { return result_; }
    calc::SolveOptions& options() { return options_; }
    FixtureExtras& extras() { return extras_; }

    // "3 grounds fit 20.0000 - j10.0000 ohm at the rods; the list is complete. ..."
    std::string summary() const;

    static const std::vector<std::string>& headers();
    int count() const { return static_cast<int>(result_.solutions.size()); }
    // The texts of row i, one per header.
    std::vector<std::string> row(int i) const;

    // The near grounds, listed below the grounds: how many, the texts of row i (one per
    // header; the uncertainties and the rest are empty), and the line that explains
    // them (empty when there are none).
    int near_count() const { return static_cast<int>(result_.near.size()); }
    std::vector<std::string> near_row(int i) const;
    std::string near_note() const;

    void choose(int i);
    std::optional<int> chosen() const { return chosen_; }
    // Writes the chosen ground into Cond and Diel C and runs "Calc From Medium";
    // false when nothing is chosen.
    bool show_chosen(Ardenca& model) const;

  private:
    calc::SolveResult result_;
    calc::SolveOptions options_;
    FixtureExtras extras_;
    double length_m_ = 0;
    std::optional<int> chosen_;
};

} // namespace ardenca
