// Writes a synthetic sweep (see sweep_fixture.h) as a Touchstone file, for the
// examples and the screenshots: sweep_sample_writer OUT.s1p POINTS [SCALE [RIPPLE [F_HI_MHZ]]].
#include "sweep_fixture.h"

#include <cstdio>
#include <string>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: sweep_sample_writer OUT.s1p POINTS [SCALE [RIPPLE [F_HI_MHZ]]]\n");
        return 2;
    }
    ardenca::testing::write_synthetic(
        argv[1], std::stoi(argv[2]), argc > 3 ? std::stod(argv[3]) : 1.0,
        argc > 4 ? std::stod(argv[4]) : 0.0, argc > 5 ? std::stod(argv[5]) * 1e6 : 30e6);
    return 0;
}
