#include "session_file.h"

#include "files/atomic_writer.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ardenca {

namespace fs = std::filesystem;
using json = nlohmann::json;
using ordered_json = nlohmann::ordered_json;

const std::array<const char*, 7> session_field_names{
    "spacing_m", "radius_m", "length_m", "frequency_mhz", "ur", "zo_ohm", "l_degrees"};

namespace {

constexpr std::size_t max_session_bytes = 16u << 20;
constexpr const char* format_name = "ardenca-session";

// Given a path, its absolute form without "." and "..".
fs::path absolute_normal(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? path : absolute).lexically_normal();
}

// Reports what is wrong with one session file.
class Reader {
  public:
    explicit Reader(std::string path) : path_(std::move(path)) {}
    [[noreturn]] void fail(const std::string& reason) const {
        throw SessionError(path_ + ": " + reason);
    }
    const json& member(const json& object, const char* name, json::value_t type,
                       const char* kind) const {
        const auto it = object.find(name);
        if (it == object.end())
            fail(std::string("\"") + name + "\" is missing");
        const bool number_ok = type == json::value_t::number_float && it->is_number();
        if (!number_ok && it->type() != type)
            fail(std::string("\"") + name + "\" is not " + kind);
        return *it;
    }
    double number(const json& object, const char* name) const {
        return member(object, name, json::value_t::number_float, "a number").get<double>();
    }
    std::string text(const json& object, const char* name) const {
        return member(object, name, json::value_t::string, "a string").get<std::string>();
    }
    const json& object(const json& parent, const char* name) const {
        return member(parent, name, json::value_t::object, "an object");
    }

  private:
    std::string path_;
};

// Given the text and a byte offset into it, the line it falls on (1 is the first).
std::size_t line_of(const std::string& text, std::size_t offset) {
    offset = std::min(offset, text.size());
    return 1 + static_cast<std::size_t>(std::count(
                   text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// Given "MAJOR.MINOR", the major number; nullopt when it is not of that form.
std::optional<int> major_of(const std::string& version) {
    int major = 0, minor = 0;
    const char* end = version.data() + version.size();
    auto [dot, ec] = std::from_chars(version.data(), end, major);
    if (ec != std::errc() || dot == end || *dot != '.')
        return std::nullopt;
    auto [last, ec2] = std::from_chars(dot + 1, end, minor);
    if (ec2 != std::errc() || last != end || major < 0 || minor < 0)
        return std::nullopt;
    return major;
}

// Given a range [lo, hi] from a file, whether it is one: two finite numbers, lo < hi.
bool is_range(const json& range) {
    return range.is_array() && range.size() == 2 && range[0].is_number() && range[1].is_number() &&
           std::isfinite(range[0].get<double>()) && std::isfinite(range[1].get<double>()) &&
           range[0].get<double>() < range[1].get<double>();
}

// Given the view's zoom, the ranges; nullopt when one is missing or not a range.
std::optional<SessionZoom> zoom_of(const json& zoom) {
    SessionZoom read;
    for (auto [name, range] :
         {std::pair{"freq_hz", &read.freq_hz}, std::pair{"sigma_s_per_m", &read.sigma_s_per_m},
          std::pair{"eps_r", &read.eps_r}}) {
        const auto it = zoom.find(name);
        if (it == zoom.end() || !is_range(*it))
            return std::nullopt;
        *range = {(*it)[0].get<double>(), (*it)[1].get<double>()};
    }
    return read;
}

} // namespace

std::string stored_path(const std::string& file, const std::string& session_folder) {
    const fs::path target = absolute_normal(file);
    const fs::path folder = absolute_normal(session_folder);
    if (target.root_path() != folder.root_path())
        return target.string();
    // Sharing only the root (/media/usb and /home/me) a relative path would climb to
    // the top: it is kept absolute so that the session can be moved with its folder.
    const fs::path target_rest = target.relative_path();
    const fs::path folder_rest = folder.relative_path();
    if (target_rest.empty() || folder_rest.empty() || *target_rest.begin() != *folder_rest.begin())
        return target.string();
    return target.lexically_relative(folder).string();
}

std::string resolved_path(const std::string& stored, const std::string& session_folder) {
    const fs::path path(stored);
    if (path.is_absolute())
        return path.lexically_normal().string();
    return (absolute_normal(session_folder) / path).lexically_normal().string();
}

std::string session_text(const Session& session, const std::string& session_path) {
    const std::string folder = absolute_normal(session_path).parent_path().string();
    // In the order the format is described in, for a reader of the file.
    ordered_json root;
    root["format"] = format_name;
    root["version"] =
        std::to_string(session_major_version) + "." + std::to_string(session_minor_version);
    ordered_json sweeps = ordered_json::array();
    for (const std::string& path : session.sweep_paths)
        sweeps.push_back(stored_path(path, folder));
    root["sweeps"] = sweeps;

    ordered_json setup;
    if (!session.setup_file.empty()) {
        setup["source"] = "file";
        setup["file"] = stored_path(session.setup_file, folder);
    } else {
        setup["source"] = "window";
        if (session.fields) {
            ordered_json fields;
            for (std::size_t i = 0; i < session_field_names.size(); ++i)
                fields[session_field_names[i]] = session.fields->texts[i];
            fields["matching_section"] = session.fields->matching_section;
            setup["fields"] = fields;
        }
    }
    root["setup"] = setup;

    ordered_json fixture;
    fixture["lead_nh"] = session.options.lead_nh;
    fixture["top_pf"] = session.options.top_pf;
    fixture["air_m"] = session.options.air_m;
    if (session.fixture) {
        ordered_json file;
        file["name"] = session.fixture->name;
        if (!session.fixture->path.empty())
            file["path"] = stored_path(session.fixture->path, folder);
        file["data"] = ordered_json::parse(files::fixture_text(session.fixture->data));
        fixture["file"] = file;
    }
    root["fixture"] = fixture;
    root["method"] =
        session.options.method == sweep::SolveMethod::Classic ? "classic" : "all_solutions";
    root["average"] = session.options.average;
    root["soil_model"] = sweep::fit_choice_names.at(static_cast<std::size_t>(session.options.fit));
    root["view"] = {{"sort_column", session.sort_column},
                    {"sort_order", session.sort_descending ? "descending" : "ascending"}};
    if (session.zoom)
        root["view"]["zoom"] = {{"freq_hz", session.zoom->freq_hz},
                                {"sigma_s_per_m", session.zoom->sigma_s_per_m},
                                {"eps_r", session.zoom->eps_r}};
    return root.dump(2) + "\n";
}

Session parse_session(const std::string& text, const std::string& session_path) {
    const Reader r(session_path);
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& error) {
        r.fail("not a session file: broken JSON at line " +
               std::to_string(line_of(text, error.byte == 0 ? 0 : error.byte - 1)));
    }
    if (!root.is_object())
        r.fail("not a session file: the JSON is not an object");
    if (r.text(root, "format") != format_name)
        r.fail("not a session file: \"format\" is not \"" + std::string(format_name) + "\"");
    const std::string version = r.text(root, "version");
    const std::optional<int> major = major_of(version);
    if (!major)
        r.fail("\"version\" is \"" + version + "\", not of the form MAJOR.MINOR");
    if (*major > session_major_version)
        r.fail("written by a newer Ardenca (session version " + version +
               "); this one reads version " + std::to_string(session_major_version) + " and older");

    const std::string folder = absolute_normal(session_path).parent_path().string();
    Session session;
    const json& sweeps = r.member(root, "sweeps", json::value_t::array, "a list");
    for (const json& item : sweeps) {
        if (!item.is_string() || item.get<std::string>().empty())
            r.fail("\"sweeps\" holds an entry that is not a file name");
        session.sweep_paths.push_back(resolved_path(item.get<std::string>(), folder));
    }

    const json& setup = r.object(root, "setup");
    const std::string source = r.text(setup, "source");
    if (source == "file") {
        session.setup_file = resolved_path(r.text(setup, "file"), folder);
    } else if (source == "window") {
        if (setup.contains("fields")) {
            const json& fields = r.object(setup, "fields");
            SessionFields read;
            for (std::size_t i = 0; i < session_field_names.size(); ++i)
                read.texts[i] = r.text(fields, session_field_names[i]);
            read.matching_section =
                r.member(fields, "matching_section", json::value_t::boolean, "true or false")
                    .get<bool>();
            session.fields = read;
        }
    } else {
        r.fail("\"source\" of the set-up is \"" + source + "\", not \"window\" or \"file\"");
    }

    const json& fixture = r.object(root, "fixture");
    session.options.lead_nh = r.number(fixture, "lead_nh");
    session.options.top_pf = r.number(fixture, "top_pf");
    session.options.air_m = r.number(fixture, "air_m");
    for (double value : {session.options.lead_nh, session.options.top_pf, session.options.air_m})
        if (!(value >= 0))
            r.fail("the fixture holds a negative value");
    if (fixture.contains("file")) {
        const json& file = r.object(fixture, "file");
        SessionFixture read;
        read.name = r.text(file, "name");
        if (file.contains("path"))
            read.path = resolved_path(r.text(file, "path"), folder);
        try {
            read.data = files::parse_fixture(r.object(file, "data").dump(), read.name);
        } catch (const files::FixtureFileError& error) {
            r.fail(std::string("the fixture: ") + error.what());
        }
        session.fixture = read;
    }

    const std::string method = r.text(root, "method");
    if (method == "classic")
        session.options.method = sweep::SolveMethod::Classic;
    else if (method == "all_solutions")
        session.options.method = sweep::SolveMethod::AllSolutions;
    else
        r.fail("\"method\" is \"" + method + "\", not \"all_solutions\" or \"classic\"");
    session.options.average =
        r.member(root, "average", json::value_t::boolean, "true or false").get<bool>();
    const std::string soil = r.text(root, "soil_model");
    const auto fit = sweep::fit_choice_from_name(soil);
    if (!fit)
        r.fail("\"soil_model\" is \"" + soil + "\", which this Ardenca does not know");
    session.options.fit = *fit;

    // The view is a convenience: what cannot be read of it is left as it is.
    if (const auto view = root.find("view"); view != root.end() && view->is_object()) {
        if (const auto column = view->find("sort_column");
            column != view->end() && column->is_number_integer())
            session.sort_column = std::max(-1, column->get<int>());
        if (const auto order = view->find("sort_order"); order != view->end())
            session.sort_descending = *order == "descending";
        if (const auto zoom = view->find("zoom"); zoom != view->end() && zoom->is_object())
            session.zoom = zoom_of(*zoom);
    }
    return session;
}

Session read_session_file(const std::string& path) {
    std::error_code ec;
    if (fs::exists(path, ec) && !fs::is_regular_file(path, ec))
        throw SessionError(path + ": not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw SessionError(path + ": cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw SessionError(path + ": cannot be read");
    if (text.str().size() > max_session_bytes)
        throw SessionError(path + ": too large for a session file");
    return parse_session(text.str(), path);
}

void write_session_file(const std::string& path, const Session& session) {
    const std::string text = session_text(session, path);
    files::AtomicFileWriter file(path, files::real_save_system());
    file.write(text);
    file.commit();
}

std::vector<std::string> missing_files(const Session& session) {
    std::vector<std::string> missing;
    auto check = [&missing](const std::string& path) {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec))
            missing.push_back(path);
    };
    for (const std::string& path : session.sweep_paths)
        check(path);
    if (!session.setup_file.empty())
        check(session.setup_file);
    return missing;
}

} // namespace ardenca
