// The Touchstone reader on arbitrary bytes: it returns a sweep within the bounds or
// refuses with a line of the text, and what the writer makes of the sweep reads back the
// same.
#include "sweep/sweep_file.h"
#include "sweep_fuzz_checks.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string text = ardenca::fuzz::repeated_input(data, size);
    (void)ardenca::sweep::looks_like_csv(text, "input.s1p");
    try {
        const ardenca::sweep::Sweep s = ardenca::sweep::read_touchstone(text, "input.s1p");
        ardenca::fuzz::check_sweep(s);
        ardenca::fuzz::check_round_trip(s);
    } catch (const ardenca::sweep::SweepFileError& e) {
        ardenca::fuzz::check_refusal(e, text);
    }
    return 0;
}
