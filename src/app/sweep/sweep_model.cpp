#include "sweep_model.h"

#include "export/csv_export.h"
#include "export/export_file.h"
#include "export/json_export.h"
#include "export/nec_export.h"
#include "number_format.h"
#include "sweep/averaging.h"
#include "sweep/soil_choice.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace ardenca {

std::string describe_fit(const calc::SoilFit& fit) {
    std::string text = "soil model " + std::string(calc::model_name(fit.model)) + " (chi2/dof " +
                       plain_number(fit.chi2_per_dof, 3) + ", " +
                       counted(static_cast<std::size_t>(fit.points_used), "reading", "readings") +
                       " of " + std::to_string(fit.points_total) + "):";
    const auto names = calc::parameter_names(fit.model);
    for (std::size_t k = 0; k < names.size(); ++k)
        text += (k ? ", " : " ") + std::string(names[k]) + " " + plain_number(fit.value[k], 4) +
                " ± " + plain_number(fit.u[k], 2);
    return text + ".";
}

namespace {

std::string file_name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// Given a location, whether any of its points is still provisional.
bool has_provisional(const sweep::LocationResult& location) {
    return std::any_of(location.points.begin(), location.points.end(),
                       [](const sweep::PointResult& p) { return p.flags & sweep::Provisional; });
}

} // namespace

int SweepModel::start(std::vector<std::string> paths, SweepSetup setup) {
    paths_ = std::move(paths);
    setup_ = std::move(setup);
    result_ = sweep::SweepResult{};
    result_.setup = setup_.engine.probe;
    result_.setup_freq_hz = setup_.engine.setup_freq_hz;
    result_.options = setup_.engine.solve;
    result_.method = setup_.method;
    location_of_file_.assign(paths_.size(), std::nullopt);
    messages_.clear();
    refused_ = 0;
    points_done_ = points_total_ = files_read_ = 0;
    state_ = paths_.empty() ? State::Empty : State::Running;
    return ++run_;
}

void SweepModel::cancel() {
    if (state_ != State::Running)
        return;
    if (files_read_ == paths_.size() && points_done_ == points_total_) {
        // Every point was in: only the tracking and the average were left, done here.
        for (auto& location : result_.locations)
            if (has_provisional(location)) {
                const std::size_t warned = location.warnings.size();
                finish_location(setup_, location);
                if (location.fit && location.fit->acceptable)
                    add_message(SweepMessage::Kind::Note,
                                location.path + ": " + describe_fit(*location.fit));
                for (std::size_t w = warned; w < location.warnings.size(); ++w)
                    add_message(SweepMessage::Kind::Warning,
                                location.path + ": " + location.warnings[w]);
            }
        if (setup_.average && result_.locations.size() > 1) {
            result_.average = sweep::average_locations(result_.locations);
            result_.area_fit = area_fit(setup_, result_.locations);
        }
        finish();
        add_message(SweepMessage::Kind::Note,
                    "The cancel came after the last point: the sweep is complete.");
        return;
    }
    state_ = State::Cancelled;
    std::string text = "Cancelled after " + std::to_string(points_done_) + " of " +
                       std::to_string(points_total_) + " points.";
    // A location cut short is tracked over the points it has, as a whole location is,
    // and stays provisional: more points could change the choice.
    for (auto& location : result_.locations)
        if (has_provisional(location)) {
            track_location(location.points, setup_.method);
            for (auto& point : location.points)
                point.flags |= sweep::Provisional;
            text += " " + file_name(location.path) + " was cut short: its grounds are provisional.";
        }
    ++replacements_;
    add_message(SweepMessage::Kind::Note, std::move(text));
}

void SweepModel::fail(std::string error) {
    add_message(SweepMessage::Kind::Error, std::move(error));
    state_ = State::Failed;
}

void SweepModel::add_message(SweepMessage::Kind kind, std::string text) {
    messages_.push_back({kind, std::move(text)});
}

bool SweepModel::apply(int run, SweepStep step) {
    if (run != run_ || state_ != State::Running || step.file >= paths_.size())
        return false;
    switch (step.kind) {
    case SweepStep::Kind::Read: {
        ++files_read_;
        location_of_file_[step.file] = result_.locations.size();
        sweep::LocationResult location;
        location.path = paths_[step.file];
        location.warnings = step.warnings;
        location.points.reserve(step.point_count);
        result_.locations.push_back(std::move(location));
        points_total_ += step.point_count;
        for (const std::string& warning : step.warnings)
            add_message(SweepMessage::Kind::Warning, file_name(paths_[step.file]) + ": " + warning);
        if (step.point_count == 0)
            add_message(SweepMessage::Kind::Warning,
                        file_name(paths_[step.file]) + ": the file holds no points.");
        break;
    }
    case SweepStep::Kind::Refused:
        ++files_read_;
        ++refused_;
        add_message(SweepMessage::Kind::Error, step.error);
        break;
    case SweepStep::Kind::Points: {
        const auto slot = location_of_file_[step.file];
        if (!slot)
            return false;
        auto& points = result_.locations[*slot].points;
        points_done_ += step.points.size();
        points.insert(points.end(), std::make_move_iterator(step.points.begin()),
                      std::make_move_iterator(step.points.end()));
        break;
    }
    case SweepStep::Kind::Tracked: {
        const auto slot = location_of_file_[step.file];
        if (!slot)
            return false;
        auto& points = result_.locations[*slot].points;
        if (step.points.size() != points.size())
            return false;
        points = std::move(step.points);
        result_.locations[*slot].fit = std::move(step.fit);
        if (const auto& fit = result_.locations[*slot].fit; fit && fit->acceptable)
            add_message(SweepMessage::Kind::Note,
                        result_.locations[*slot].path + ": " + describe_fit(*fit));
        for (std::string& w : step.warnings)
            add_message(SweepMessage::Kind::Warning,
                        result_.locations[*slot].path + ": " + std::move(w));
        ++replacements_;
        break;
    }
    case SweepStep::Kind::Failed:
        fail(std::move(step.error));
        break;
    case SweepStep::Kind::Finished: {
        result_.average = std::move(step.average);
        result_.area_fit = std::move(step.area_fit);
        for (std::string& warning : step.warnings)
            add_message(SweepMessage::Kind::Warning, std::move(warning));
        for (std::string& note : step.notes)
            add_message(SweepMessage::Kind::Note, std::move(note));
        finish();
        break;
    }
    }
    return true;
}

void SweepModel::finish() {
    std::size_t unsolved = 0, ambiguous = 0, unresolvable = 0, left_out = 0;
    for (const auto& location : result_.locations)
        for (const auto& point : location.points) {
            unsolved += (point.flags & sweep::NoSolution) != 0;
            ambiguous += (point.flags & sweep::Ambiguous) != 0;
            unresolvable += (point.flags & sweep::Unresolvable) != 0;
            left_out += (point.flags & sweep::Outlier) != 0;
        }
    if (unresolvable)
        add_message(SweepMessage::Kind::Warning,
                    counted(unresolvable, "point was", "points were") +
                        " not searched: the probe is too many half-waves long there, or "
                        "the box holds too many grounds to list.");
    if (unsolved)
        add_message(SweepMessage::Kind::Warning, counted(unsolved, "point has", "points have") +
                                                     " no solution in the search box.");
    if (ambiguous)
        add_message(SweepMessage::Kind::Warning,
                    counted(ambiguous, "point is", "points are") +
                        " ambiguous: another solution lies within the tracking tolerance.");
    if (left_out)
        add_message(SweepMessage::Kind::Warning,
                    counted(left_out, "point is", "points are") +
                        " left out: no solution there continues the sweep's ground.");
    if (result_.average && !result_.average->empty())
        add_message(SweepMessage::Kind::Note,
                    "The average is taken over " +
                        counted(result_.locations.size(), "location", "locations") + " at " +
                        counted(result_.average->size(), "common frequency", "common frequencies") +
                        "; its band is one standard deviation.");
    state_ = State::Finished;
}

std::vector<SweepRow> SweepModel::rows() const {
    std::vector<SweepRow> rows;
    rows.reserve(points_done_);
    for (std::size_t l = 0; l < result_.locations.size(); ++l)
        for (std::size_t p = 0; p < result_.locations[l].points.size(); ++p)
            rows.push_back({l, p});
    return rows;
}

// Both written as they are formatted, with no copy of the whole sweep in memory.
void SweepModel::export_csv(const std::string& path) const {
    exports::write_export(path, [&](std::ostream& out) { exports::write_sweep_csv(out, result_); });
}

void SweepModel::export_json(const std::string& path) const {
    exports::write_export(path, [&](std::ostream& out) {
        exports::write_sweep_json(out, result_);
        out << '\n';
    });
}

void SweepModel::export_nec_bands(const std::string& path,
                                  const std::vector<double>& freqs_hz) const {
    exports::write_export(path, exports::nec_band_cards(result_, freqs_hz));
}

void SweepModel::export_nec(const std::string& path, double freq_hz) const {
    exports::write_export(path,
                          exports::nec_ground_cards(exports::nec_ground_at(result_, freq_hz)));
}

} // namespace ardenca
