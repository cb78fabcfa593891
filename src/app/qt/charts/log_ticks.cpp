#include "log_ticks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <span>

namespace ardenca::charts {

std::string short_number(double value, int digits) {
    if (!std::isfinite(value))
        return value > 0 ? "inf" : (value < 0 ? "-inf" : "nan");
    char buffer[64];
    const double magnitude = std::fabs(value);
    if (value == 0 || (magnitude >= 1e-4 && magnitude < 1e6)) {
        // Plain: enough decimals for `digits` significant digits, then trimmed.
        const int leading =
            value == 0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
        const int decimals = std::clamp(digits - leading, 0, 12);
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        std::string text = buffer;
        if (text.find('.') != std::string::npos) {
            while (text.back() == '0')
                text.pop_back();
            if (text.back() == '.')
                text.pop_back();
        }
        return text == "-0" ? "0" : text;
    }
    std::snprintf(buffer, sizeof buffer, "%.*g", std::max(digits, 1), value);
    return buffer;
}

double nice_step(double raw) {
    if (!(raw > 0) || !std::isfinite(raw))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw * (1 - 1e-12))
            return m * power;
    return 10 * power;
}

namespace {

// Ticks at mantissa * 10^d for each decade d that falls in [lo, hi].
std::vector<Tick> decade_ticks(double lo, double hi, std::span<const double> mantissas,
                               int decade_step) {
    std::vector<Tick> ticks;
    const int first = static_cast<int>(std::floor(lo));
    const int last = static_cast<int>(std::ceil(hi));
    for (int d = first; d <= last; ++d) {
        if (decade_step > 1 && d % decade_step != 0)
            continue;
        for (double m : mantissas) {
            const double value = m * std::pow(10.0, d);
            const double at = std::log10(value);
            if (at >= lo - 1e-12 && at <= hi + 1e-12)
                ticks.push_back({at, short_number(value)});
        }
    }
    return ticks;
}

// Round numbers 1, 2 or 5 times a power of ten apart, inside [lo, hi] in log10 units.
std::vector<Tick> linear_ticks_of_log(double lo, double hi, int max_ticks) {
    auto ticks = linear_ticks(std::pow(10.0, lo), std::pow(10.0, hi), max_ticks);
    for (Tick& tick : ticks)
        tick.log10_value = std::log10(tick.log10_value);
    return ticks;
}

} // namespace

std::vector<Tick> linear_ticks(double lo, double hi, int max_ticks) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo)
        return {};
    double step = nice_step((hi - lo) / std::max(max_ticks, 1));
    // Rounding can leave one tick too many: take the next step up then.
    while ((std::floor(hi / step) - std::ceil(lo / step)) + 1 > max_ticks)
        step = nice_step(step * 1.01);
    std::vector<Tick> ticks;
    for (double k = std::ceil(lo / step); k * step <= hi + 1e-9 * step; k += 1) {
        const double v = k * step == 0 ? 0.0 : k * step;
        ticks.push_back({v, short_number(v, 6)});
    }
    return ticks;
}

std::vector<Tick> log_ticks(double lo, double hi, int max_ticks) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo)
        return {};
    static constexpr std::array<double, 1> decades{1};
    static constexpr std::array<double, 3> one_two_five{1, 2, 5};
    static constexpr std::array<double, 9> all_digits{1, 2, 3, 4, 5, 6, 7, 8, 9};

    std::vector<Tick> best;
    for (std::span<const double> set :
         {std::span<const double>(all_digits), std::span<const double>(one_two_five),
          std::span<const double>(decades)}) {
        auto ticks = decade_ticks(lo, hi, set, 1);
        if (static_cast<int>(ticks.size()) <= max_ticks) {
            best = std::move(ticks);
            break;
        }
    }
    if (best.empty()) {
        // Many decades: label every second, fifth, ... decade.
        for (int step : {2, 5, 10, 20, 50, 100}) {
            best = decade_ticks(lo, hi, decades, step);
            if (static_cast<int>(best.size()) <= max_ticks)
                break;
        }
    }
    // Two labels leave a short range hard to read: round values between them instead.
    if (best.size() < 3) {
        auto linear = linear_ticks_of_log(lo, hi, std::min(max_ticks, 6));
        if (linear.size() > best.size())
            return linear;
    }
    return best;
}

} // namespace ardenca::charts
