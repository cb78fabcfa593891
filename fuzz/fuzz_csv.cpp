// The analyser CSV reader on arbitrary bytes: it returns a sweep within the bounds or
// refuses with a line of the text, and what the Touchstone writer makes of the sweep
// reads back the same. The first byte also picks the options.
#include "sweep/csv_reader.h"
#include "sweep_fuzz_checks.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    using namespace ardenca::sweep;
    CsvOptions options;
    const int pick = data[0] / 9 % 6;
    if (pick < 4)
        options.freq_unit = static_cast<FreqUnit>(pick);
    options.z0_ohm = pick == 5 ? 75 : 50;
    const std::string text = ardenca::fuzz::repeated_input(data, size);
    try {
        const Sweep s = read_csv(text, "input.csv", options);
        ardenca::fuzz::check_sweep(s);
        ardenca::fuzz::check_round_trip(s);
    } catch (const SweepFileError& e) {
        ardenca::fuzz::check_refusal(e, text);
    }
    return 0;
}
