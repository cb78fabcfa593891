#include "root_search.h"

#include "root_count.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace ardenca::calc::solver {

namespace {

bool finite(cplx z) {
    return std::isfinite(z.real()) && std::isfinite(z.imag());
}

bool same_root(cplx a, cplx b) {
    return std::abs(a - b) < 1e-7 * std::max(1.0, std::abs(b));
}

} // namespace

std::vector<cplx> local_seeds(const ProbeEquation& eq, double q, const GroundBox& box) {
    std::vector<cplx> out;
    const cplx c = eq.c;
    const int k_max = static_cast<int>(std::sqrt(q * box.eps_max) / prog_pi) + 2;
    for (int k = 0; k <= k_max; ++k) {
        const cplx jk(0, k * prog_pi);
        const cplx root = std::sqrt(4.0 * c + jk * jk);
        out.push_back(jk + 0.5 * (-jk + root));
        out.push_back(jk + 0.5 * (-jk - root));
        if (c != 1.0)
            out.push_back(cplx(0, (k + 0.5) * prog_pi) * c / (c - 1.0));
    }
    out.push_back(c);
    std::stable_partition(out.begin(), out.end(),
                          [&](cplx u) { return in_box(q, box, u.real() < 0 ? -u : u); });
    return out;
}

namespace {

// A grid of n x n grounds over the box, in ln s and sqrt(eps_r).
std::vector<cplx> grid(double q, const GroundBox& box, int n) {
    std::vector<cplx> out;
    const double ls0 = std::log(box.s_min), ls1 = std::log(box.s_max);
    const double e0 = std::sqrt(box.eps_min), e1 = std::sqrt(box.eps_max);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double s = std::exp(ls0 + (ls1 - ls0) * (i + 0.5) / n);
            const double e = e0 + (e1 - e0) * (j + 0.5) / n;
            out.push_back(std::sqrt(q * cplx(-e * e, s)));
        }
    }
    return out;
}

class Search {
  public:
    Search(const ProbeEquation& eq, double q, long& evaluations, long max_evaluations)
        : eq_(eq), q_(q), evaluations_(evaluations), max_evaluations_(max_evaluations) {}

    bool spent() const { return evaluations_ >= max_evaluations_; }

    // Given a seed, Newton from it; true when it found a zero not known before. A zero
    // with a near twin (g' small beside g'') is followed by a try at the twin, at
    // h = -2 g' / g'' from it, where deflated Newton from far away rarely gets.
    bool try_seed(cplx seed, bool deflate) {
        const auto u = settle_on(seed, deflate);
        if (!u)
            return false;
        const GValue v = eq_.at(*u);
        ++evaluations_;
        const cplx h = -2.0 * v.dg / eq_.second_derivative(*u);
        if (std::abs(h) < 0.05 * std::max(1.0, std::abs(*u)))
            settle_on(*u + h, true);
        return true;
    }

    int found_in(const GroundBox& box) const {
        return static_cast<int>(
            std::count_if(all_.begin(), all_.end(), [&](cplx u) { return in_box(q_, box, u); }));
    }

    // Given a box and its count, halves it until each part holds as many found zeros as
    // it counts; false when that fails.
    bool search_halves(const GroundBox& box, int count, int depth) {
        if (found_in(box) >= count)
            return found_in(box) == count;
        for (cplx seed : grid(q_, box, 2)) {
            try_seed(seed, true);
            if (found_in(box) >= count)
                return found_in(box) == count;
        }
        if (depth == 0 || spent())
            return false;
        // Halve the side that is longer in u.
        const double ls0 = std::log(box.s_min), ls1 = std::log(box.s_max);
        const cplx corner = std::sqrt(q_ * cplx(-box.eps_min, box.s_min));
        const double along_s = std::abs(std::sqrt(q_ * cplx(-box.eps_min, box.s_max)) - corner);
        const double along_eps = std::abs(std::sqrt(q_ * cplx(-box.eps_max, box.s_min)) - corner);
        for (double share : {0.5, 0.4817, 0.5373}) {
            GroundBox low = box, high = box;
            if (along_s > along_eps) {
                low.s_max = high.s_min = std::exp(ls0 + (ls1 - ls0) * share);
            } else {
                const double e0 = std::sqrt(box.eps_min), e1 = std::sqrt(box.eps_max);
                const double e = e0 + (e1 - e0) * share;
                low.eps_max = high.eps_min = e * e;
            }
            const auto n_low = count_zeros(eq_, q_, low, evaluations_, max_evaluations_);
            if (!n_low || *n_low > count)
                continue;
            const int n_high = count - *n_low;
            bool ok = true;
            if (*n_low > 0)
                ok = search_halves(low, *n_low, depth - 1) && ok;
            if (n_high > 0)
                ok = search_halves(high, n_high, depth - 1) && ok;
            return ok;
        }
        return false;
    }

    const std::vector<cplx>& all() const { return all_; }

  private:
    // Newton from the seed; the zero when it is new, which is then known.
    std::optional<cplx> settle_on(cplx seed, bool deflate) {
        std::optional<cplx> u =
            newton(eq_, seed, deflate ? std::span<const cplx>(all_) : std::span<const cplx>(),
                   evaluations_, max_evaluations_);
        if (u && deflate) // settle on g itself
            u = newton(eq_, *u, {}, evaluations_, max_evaluations_);
        if (!u)
            return std::nullopt;
        for (const cplx& known : all_)
            if (same_root(*u, known))
                return std::nullopt;
        all_.push_back(*u);
        return u;
    }

    const ProbeEquation& eq_;
    double q_;
    long& evaluations_;
    long max_evaluations_;
    std::vector<cplx> all_; // every distinct zero found, in the box or not
};

} // namespace

bool in_box(double q, const GroundBox& box, cplx u) {
    const cplx eps = -(u * u) / q;
    const double s = -eps.imag();
    return eps.real() >= box.eps_min && eps.real() <= box.eps_max && s >= box.s_min &&
           s <= box.s_max;
}

std::optional<cplx> newton(const ProbeEquation& eq, cplx seed, std::span<const cplx> known,
                           long& evaluations, long max_evaluations) {
    cplx u = seed;
    // Deflated, Newton wanders more often; give it up sooner.
    const int max_steps = known.empty() ? 100 : 40;
    for (int it = 0; it < max_steps && evaluations < max_evaluations; ++it) {
        if (u.real() < 0) // g's zeros come in pairs +-u
            u = -u;
        const GValue v = eq.at(u);
        ++evaluations;
        if (v.g == 0.0)
            return u;
        cplx step;
        if (known.empty()) {
            step = v.g / v.dg;
        } else {
            cplx r = v.dg / v.g;
            for (const cplx& z : known)
                r -= 1.0 / (u - z);
            step = 1.0 / r;
        }
        if (!finite(step))
            return std::nullopt;
        const double size = std::abs(step);
        const double limit = 2 + 0.25 * std::abs(u);
        if (size > limit)
            step *= limit / size;
        u -= step;
        // Done when the step is down to rounding, or g is: g carries an error of about
        // 1e-16 (|u| + |c|), so next to a near twin, where g' is small, the steps stall
        // at that over |g'| before they reach 1e-13 |u|.
        const bool g_at_rounding = std::abs(v.g) <= 4e-15 * (1 + std::abs(u) + std::abs(eq.c));
        if (size <= 1e-13 * std::max(1.0, std::abs(u)) || g_at_rounding) {
            if (u.real() < 0)
                u = -u;
            return u;
        }
    }
    return std::nullopt;
}

RootSearch find_roots(const ProbeEquation& eq, double q, const GroundBox& box, int count,
                      std::span<const cplx> first, long& evaluations, long max_evaluations) {
    RootSearch result;
    Search search(eq, q, evaluations, max_evaluations);
    // Without a count, every seed is tried and the list cannot be complete.
    const int target = count < 0 ? std::numeric_limits<int>::max() : count;
    if (target > 0) {
        for (bool deflate : {false, true}) {
            for (cplx seed : first) {
                if (search.found_in(box) >= target || search.spent())
                    break;
                search.try_seed(seed, deflate);
            }
        }
        if (count > 0 && search.found_in(box) < count)
            search.search_halves(box, count, 12);
    }

    // Zeros closer than the merging distance are one zero of higher order; count it on a
    // small box around it when g' nearly vanishes there.
    int total = 0;
    for (cplx u : search.all()) {
        if (!in_box(q, box, u))
            continue;
        FoundRoot root{u, 1};
        const GValue v = eq.at(u);
        const cplx g2 = eq.second_derivative(u);
        ++evaluations;
        if (std::abs(2.0 * v.dg) < 1e-5 * std::max(1.0, std::abs(u)) * std::abs(g2)) {
            const cplx eps = -(u * u) / q;
            const double d_eps = 1e-5 * std::abs(eps);
            const GroundBox around{
                std::max(eps.real() - d_eps, 0.5 * eps.real()), eps.real() + d_eps,
                std::max(-eps.imag() - d_eps, 0.5 * -eps.imag()), -eps.imag() + d_eps};
            if (const auto n = count_zeros(eq, q, around, evaluations, max_evaluations);
                n && *n > 1)
                root.multiplicity = std::max(1, *n - (search.found_in(around) - 1));
        }
        total += root.multiplicity;
        result.roots.push_back(root);
    }
    result.complete = total == count;
    return result;
}

} // namespace ardenca::calc::solver
