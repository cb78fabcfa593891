#include "complex_routines.h"

namespace ardenca::calc {

double root_of_two() {
    static const double value = ck::pow(2.0, 0.5);
    return value;
}

} // namespace ardenca::calc
