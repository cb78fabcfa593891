#include "air_line.h"

#include "checked_math.h"
#include "constants.h"

namespace ardenca::calc {

void AirLine::throw_if_fault() const {
    if (fault)
        throw ArithmeticFault(fault->kind, fault->operation);
}

AirLine air_line(const AirLineInput& in) {
    using ck::div;
    using ck::mul;
    using Step = AirLine::Step;
    AirLine a;
    a.ur = in.ur;
    try {
        a.freq_hz = mul(1e6, in.freq_mhz);
        a.computed = Step::FreqHz;
        a.w_rad_per_s = mul(mul(2.0, pi), a.freq_hz);
        a.computed = Step::WRadPerS;
        a.wave_len_m = div(co_m_per_s, a.freq_hz);
        a.computed = Step::WaveLen;
        a.length_m = in.length_m;
        a.computed = Step::Length;

        a.len_rads = div(mul(mul(a.length_m, 2.0), pi), a.wave_len_m);
        a.computed = Step::LenRads;
        const double log_ratio = ck::ln(div(in.spacing_m, in.radius_m));
        a.zo_air_ohm = mul(log_ratio, div(div(1.0, mul(co_m_per_s, eo_f_per_m)), pi));
        a.computed = Step::ZoAir;
        a.len_degs = div(mul(a.length_m, 360.0), a.wave_len_m);
        a.computed = Step::LenDegs;
        // -Zo cot(beta l)
        a.xc_open_ohm = div(-a.zo_air_ohm, ck::tan(a.len_rads));
        a.computed = Step::XcOpen;

        a.c_o_f_per_m = div(1.0, mul(a.zo_air_ohm, co_m_per_s));
        a.computed = Step::COPerM;
        a.l_o_h_per_m = div(a.zo_air_ohm, co_m_per_s);
        a.computed = Step::LOPerM;
        a.c_tot_f = mul(a.c_o_f_per_m, a.length_m);
        a.computed = Step::CTot;
        a.l_tot_h = mul(a.l_o_h_per_m, a.length_m);
        a.computed = Step::LTot;
    } catch (const ArithmeticFault& f) {
        a.fault = FaultInfo{f.kind(), f.operation()};
    }
    return a;
}

} // namespace ardenca::calc
