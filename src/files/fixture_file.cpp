#include "fixture_file.h"

#include "atomic_writer.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ardenca::files {

namespace {

using json = nlohmann::ordered_json;

constexpr std::size_t max_fixture_bytes = 1 << 20;

json value_json(const FixtureValue& v) {
    return {{"value", v.value}, {"u", v.u}};
}

class Reader {
  public:
    Reader(const json& root, const std::string& path) : root_(root), path_(path) {}

    [[noreturn]] void fail(const std::string& reason) const {
        throw FixtureFileError(path_ + ": " + reason);
    }

    // Given an object and a key, its finite number; fails naming the key.
    double number(const json& object, const char* key, const std::string& where) const {
        const auto it = object.find(key);
        if (it == object.end())
            fail(where + key + " is missing");
        if (!it->is_number() || !std::isfinite(it->get<double>()))
            fail(where + key + " should be a number");
        return it->get<double>();
    }

    double positive(const json& object, const char* key, const std::string& where) const {
        const double v = number(object, key, where);
        if (!(v > 0))
            fail(where + key + " should be above zero");
        return v;
    }

    FixtureValue value(const char* key) const {
        const auto it = root_.find(key);
        if (it == root_.end())
            fail(std::string(key) + " is missing");
        if (!it->is_object())
            fail(std::string(key) + " should be an object {\"value\", \"u\"}");
        const std::string where = std::string(key) + ".";
        FixtureValue v{number(*it, "value", where), number(*it, "u", where)};
        if (v.u < 0)
            fail(where + "u should be zero or above");
        return v;
    }

  private:
    const json& root_;
    const std::string& path_;
};

} // namespace

std::string fixture_text(const FixtureFile& f) {
    json j;
    j["format"] = "ardenca-fixture";
    j["version"] = fixture_file_version;
    j["date"] = f.date;
    j["probe"] = {{"spacing_m", f.spacing_m},
                  {"radius_m", f.radius_m},
                  {"length_m", f.length_m},
                  {"air_m", f.air_m}};
    j["lead_nh"] = value_json(f.lead_nh);
    j["top_pf"] = value_json(f.top_pf);
    const int n = f.line_deg ? 3 : 2;
    if (f.line_deg) {
        j["line_deg"] = value_json(*f.line_deg);
        j["line_zo_ohm"] = f.line_zo_ohm;
        j["setup_mhz"] = f.setup_freq_hz / 1e6;
    }
    json corr = json::array();
    for (int i = 0; i < n; ++i) {
        json row = json::array();
        for (int l = 0; l < n; ++l)
            row.push_back(f.correlation[i][l]);
        corr.push_back(row);
    }
    j["correlation"] = corr;
    j["chi2_per_dof"] = f.chi2_per_dof;
    j["points_used"] = f.points_used;
    return j.dump(2) + '\n';
}

FixtureFile parse_fixture(const std::string& text, const std::string& path) {
    const json root = json::parse(text, nullptr, false);
    Reader r(root, path);
    if (root.is_discarded())
        r.fail("not a JSON file");
    if (!root.is_object())
        r.fail("not a fixture file (a JSON object was expected)");
    if (root.value("format", json()) != "ardenca-fixture")
        r.fail("not a fixture file (\"format\" should be \"ardenca-fixture\")");
    const auto version = root.find("version");
    if (version == root.end() || !version->is_number_integer())
        r.fail("version is missing or not a whole number");
    if (version->get<long long>() != fixture_file_version)
        r.fail("version " + version->dump() + " is not known to this program (it reads " +
               std::to_string(fixture_file_version) + ")");

    FixtureFile f;
    const auto probe = root.find("probe");
    if (probe == root.end() || !probe->is_object())
        r.fail("probe is missing or not an object");
    f.spacing_m = r.positive(*probe, "spacing_m", "probe.");
    f.radius_m = r.positive(*probe, "radius_m", "probe.");
    f.length_m = r.positive(*probe, "length_m", "probe.");
    f.air_m = r.number(*probe, "air_m", "probe.");
    if (f.air_m < 0)
        r.fail("probe.air_m should be zero or above");
    f.lead_nh = r.value("lead_nh");
    f.top_pf = r.value("top_pf");
    if (root.contains("line_deg")) {
        f.line_deg = r.value("line_deg");
        f.line_zo_ohm = r.positive(root, "line_zo_ohm", "");
        f.setup_freq_hz = 1e6 * r.positive(root, "setup_mhz", "");
    }
    const int n = f.line_deg ? 3 : 2;
    if (const auto corr = root.find("correlation"); corr != root.end()) {
        if (!corr->is_array() || corr->size() != static_cast<std::size_t>(n))
            r.fail("correlation should be " + std::to_string(n) + " rows of " + std::to_string(n));
        for (int i = 0; i < n; ++i) {
            const json& row = (*corr)[i];
            if (!row.is_array() || row.size() != static_cast<std::size_t>(n))
                r.fail("correlation should be " + std::to_string(n) + " rows of " +
                       std::to_string(n));
            for (int l = 0; l < n; ++l) {
                if (!row[l].is_number() || !(std::abs(row[l].get<double>()) <= 1))
                    r.fail("correlation holds a value that is not a number from -1 to 1");
                f.correlation[i][l] = row[l].get<double>();
            }
        }
    }
    if (const auto date = root.find("date"); date != root.end() && date->is_string())
        f.date = date->get<std::string>();
    if (const auto chi2 = root.find("chi2_per_dof"); chi2 != root.end() && chi2->is_number())
        f.chi2_per_dof = chi2->get<double>();
    if (const auto n_used = root.find("points_used");
        n_used != root.end() && n_used->is_number_integer())
        f.points_used = n_used->get<int>();
    return f;
}

FixtureFile read_fixture_file(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec))
        throw FixtureFileError(path + ": not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FixtureFileError(path + ": cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw FixtureFileError(path + ": cannot be read");
    if (text.str().size() > max_fixture_bytes)
        throw FixtureFileError(path + ": too large for a fixture file");
    return parse_fixture(text.str(), path);
}

void write_fixture_file(const std::string& path, const FixtureFile& fixture) {
    AtomicFileWriter file(path, real_save_system());
    file.write(fixture_text(fixture));
    file.commit();
}

} // namespace ardenca::files
