// "Calibrate probe…" without a toolkit: the fixture from an air sweep and a short sweep
// read from files, with the measured and fitted readings for a chart, and a set-up with
// a fixture file's values in it.
#pragma once

#include "calc/fixture_fit.h"
#include "files/fixture_file.h"
#include "sweep_setup.h"

#include <complex>
#include <string>
#include <vector>

namespace ardenca {

// One sweep of the calibration as measured and as the fitted fixture gives it.
struct CalibrationCurve {
    std::vector<double> freq_hz;
    std::vector<std::complex<double>> measured_ohm, fitted_ohm;
};

struct ProbeCalibration {
    calc::FixtureFit fit;
    files::FixtureFile fixture;
    CalibrationCurve air, shorted; // shorted empty without a short sweep
};

// Given the set-up (probe, air_m, the feed line's Zo), the sweep files (short_path may
// be empty) and whether to fit the feed line, the calibration. Throws
// sweep::SweepFileError for a refused file and calc::FixtureFitError when the sweeps
// cannot determine the fixture.
ProbeCalibration calibrate_probe(const SweepSetup& setup, const std::string& air_path,
                                 const std::string& short_path, bool fit_line);

// Puts the fixture's values into the set-up (over the panel's lead and top) and names
// it there; a fixture made for another probe leaves its warnings in the set-up.
void use_fixture(SweepSetup& setup, const files::FixtureFile& fixture, const std::string& name);

} // namespace ardenca
