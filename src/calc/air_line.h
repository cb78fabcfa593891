// The probe line imagined in air, without losses: the thin-wire two-wire line whose
// characteristic impedance is (eta0 / pi) ln(spacing / radius), eta0 = 1 / (co eo).
#pragma once

#include "arithmetic_fault.h"

#include <optional>

namespace ardenca::calc {

struct AirLineInput {
    double freq_mhz = 0;
    double spacing_m = 0;
    double radius_m = 0;
    double length_m = 0;
    double ur = 1; // relative permeability of the ground, carried to the medium model
};

struct FaultInfo {
    FaultKind kind = FaultKind::Overflow;
    FaultOperation operation = FaultOperation::Addition;
};

struct AirLine {
    // The members in the order they are computed. A fault stops the computation:
    // the members up to `computed` hold their values, the later ones stay 0.
    enum class Step {
        None,
        FreqHz,
        WRadPerS,
        WaveLen,
        Length, // length_m taken from the input
        LenRads,
        ZoAir,
        LenDegs,
        XcOpen,
        COPerM,
        LOPerM,
        CTot,
        LTot,
    };

    double freq_hz = 0;
    double w_rad_per_s = 0;
    double wave_len_m = 0;
    double length_m = 0;
    double len_rads = 0; // electrical length
    double zo_air_ohm = 0;
    double len_degs = 0;
    double xc_open_ohm = 0; // reactance of the open-ended line
    double c_o_f_per_m = 0;
    double l_o_h_per_m = 0;
    double c_tot_f = 0;
    double l_tot_h = 0;
    double ur = 1;

    Step computed = Step::None;
    std::optional<FaultInfo> fault; // what stopped the computation

    bool has(Step step) const { return computed >= step; }
    bool complete() const { return computed == Step::LTot; }
    // Throws the fault that stopped the computation, if any.
    void throw_if_fault() const;
};

// Given the dimensions, the frequency and ur, computes the line in air; never throws:
// a fault is recorded in the result with the members computed before it.
AirLine air_line(const AirLineInput& in);

} // namespace ardenca::calc
