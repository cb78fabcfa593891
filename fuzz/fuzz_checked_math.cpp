// The fast squares and roots against the power function they stand for: for every
// double, square(x) is pow(x, 2) and root(x) is pow(x, 0.5) to the last bit, with the
// same fault where pow faults. Every number the program shows depends on it.
#include "calc/arithmetic_fault.h"
#include "calc/checked_math.h"
#include "fuzz_input.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

using ardenca::ArithmeticFault;
using ardenca::FaultKind;

struct Outcome {
    double value = 0;
    std::optional<FaultKind> fault;
};

template <class F> Outcome outcome(F f) {
    try {
        return {f(), std::nullopt};
    } catch (const ArithmeticFault& fault) {
        return {0, fault.kind()};
    }
}

bool same(const Outcome& a, const Outcome& b) {
    return a.fault == b.fault && std::memcmp(&a.value, &b.value, sizeof(double)) == 0;
}

[[noreturn]] void fail(const char* what, double x, const Outcome& fast, const Outcome& slow) {
    std::fprintf(stderr, "%s(%a): %a (fault %d), pow gives %a (fault %d)\n", what, x, fast.value,
                 fast.fault ? static_cast<int>(*fast.fault) : -1, slow.value,
                 slow.fault ? static_cast<int>(*slow.fault) : -1);
    std::abort();
}

void check(double x) {
    const Outcome sq = outcome([x] { return ardenca::ck::square(x); });
    const Outcome sq_pow = outcome([x] { return ardenca::ck::pow(x, 2.0); });
    if (!same(sq, sq_pow))
        fail("square", x, sq, sq_pow);
    const Outcome rt = outcome([x] { return ardenca::ck::root(x); });
    const Outcome rt_pow = outcome([x] { return ardenca::ck::pow(x, 0.5); });
    if (!same(rt, rt_pow))
        fail("root", x, rt, rt_pow);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input = finite_double_from(data, size);
    if (!input)
        return 0;
    const double x = *input;
    check(x);
    // Squares of roots and roots of squares lie next to the cases where the fast path
    // must step aside (an exact square, or a product right at a rounding boundary).
    const double r = std::sqrt(std::fabs(x));
    check(r);
    check(std::nextafter(r, 0.0));
    check(std::nextafter(r, INFINITY));
    const double p = x * x;
    if (std::isfinite(p)) {
        check(p);
        check(std::nextafter(p, 0.0));
        check(std::nextafter(p, INFINITY));
    }
    return 0;
}
