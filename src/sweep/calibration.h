// Between sweeps, the fixture fit and the fixture file: the readings a fit takes, the
// file a fit makes, and a set-up with a fixture file's values in it.
#pragma once

#include "calc/fixture_fit.h"
#include "files/fixture_file.h"
#include "sweep.h"
#include "sweep_setup.h"

#include <string>
#include <vector>

namespace ardenca::sweep {

// Given a sweep, its readings for the fit; open-circuit points are left out.
std::vector<calc::ImpedancePoint> impedance_points(const Sweep& sweep);

// Given the set-up the sweeps were made with (its probe.air_m the rod above the ground),
// the fit, and the date, the fixture file.
files::FixtureFile fixture_from_fit(const SweepSetup& setup, const calc::FixtureFit& fit,
                                    const std::string& date);

// Puts the fixture's lead, top and, when it has one, feed line (Zo and degrees, scaled
// to the set-up's frequency, the section switched on) with their uncertainties into
// the set-up. Returns fixture_probe_warnings for the set-up's probe.
std::vector<std::string> apply_fixture(SweepSetup& setup, const files::FixtureFile& fixture,
                                       const std::string& fixture_name);

// Given a fixture and a probe, a warning for each way the fixture's probe differs
// (spacing, radius, or the whole rod length length_m + air_m, by more than 0.1 %).
std::vector<std::string> fixture_probe_warnings(const files::FixtureFile& fixture,
                                                const calc::ProbeSetup& probe,
                                                const std::string& fixture_name);

// Given the current time, "YYYY-MM-DDTHH:MM:SSZ".
std::string utc_now_text();

} // namespace ardenca::sweep
