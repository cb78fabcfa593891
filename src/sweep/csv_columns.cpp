#include "csv_columns.h"

#include "text_scan.h"

#include <algorithm>
#include <initializer_list>

namespace ardenca::sweep {

namespace {

bool is_alnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The cell's words: runs of ASCII letters and digits, in lower case.
std::vector<std::string> words_of(std::string_view cell) {
    std::vector<std::string> words;
    std::string word;
    for (char c : cell) {
        c = ascii_lower(c);
        if (is_alnum(c)) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

bool has_any(const std::vector<std::string>& words, std::initializer_list<const char*> names) {
    return std::any_of(words.begin(), words.end(), [&](const std::string& w) {
        return std::any_of(names.begin(), names.end(), [&](const char* n) { return w == n; });
    });
}

} // namespace

CsvColumns classify_columns(const std::vector<std::string_view>& cells) {
    CsvColumns c;
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        const std::vector<std::string> w = words_of(cells[static_cast<std::size_t>(i)]);
        if (w.empty())
            continue;
        std::optional<FreqUnit> unit;
        for (const std::string& word : w)
            if (const auto u = freq_unit_from_name(word))
                unit = u;
        const bool only_unit = unit && w.size() == 1;
        if (c.freq < 0 &&
            (std::any_of(w.begin(), w.end(),
                         [](const std::string& s) { return s.starts_with("freq"); }) ||
             (w.size() <= 2 && w[0] == "f") || only_unit)) {
            c.freq = i;
            c.unit = unit;
            continue;
        }
        if (has_any(w, {"swr", "vswr"})) {
            c.swr = true;
            continue;
        }
        if (has_any(w, {"rl"}) || (has_any(w, {"return"}) && has_any(w, {"loss"}))) {
            c.return_loss = true;
            continue;
        }
        const bool s11 = has_any(w, {"s11", "gamma", "reflection", "refl", "rho"});
        const bool z = !s11 && has_any(w, {"z", "zs", "impedance"});
        const bool re = has_any(w, {"re", "real"});
        const bool im = has_any(w, {"im", "imag", "imaginary"});
        if (!s11 && (has_any(w, {"r", "rs", "resistance", "zr", "zreal"}) || (z && re))) {
            if (c.r < 0)
                c.r = i;
            continue;
        }
        if (!s11 && (has_any(w, {"x", "xs", "reactance", "zi", "zimag"}) || (z && im))) {
            if (c.x < 0)
                c.x = i;
            continue;
        }
        if (z)
            continue; // |Z| and the like
        if (re) {
            if (c.re < 0)
                c.re = i;
            continue;
        }
        if (im) {
            if (c.im < 0)
                c.im = i;
            continue;
        }
        const bool db = has_any(w, {"db", "logmag", "log"});
        const bool mag = db ||
                         cells[static_cast<std::size_t>(i)].find('|') != std::string_view::npos ||
                         has_any(w, {"mag", "magnitude", "abs", "amplitude", "linmag", "lin"});
        const bool phase = has_any(w, {"phase", "ang", "angle", "arg", "ph"}) ||
                           (s11 && has_any(w, {"deg", "degree", "degrees", "rad"}));
        if (phase) {
            if (c.phase < 0) {
                c.phase = i;
                c.phase_rad = has_any(w, {"rad", "radian", "radians"});
            }
        } else if (mag && c.mag < 0) {
            c.mag = i;
            c.mag_db = db;
        }
    }
    return c;
}

} // namespace ardenca::sweep
