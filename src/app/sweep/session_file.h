// A sweep session: what the sweep window needs to show the same result again, as a
// small versioned JSON file (the format is described in README.md and docs/guide.html):
//   {"format": "ardenca-session", "version": "1.0",
//    "sweeps": ["site/north.s1p", ...],      one per probe location
//    "setup": {"source": "window", "fields": {"spacing_m": ".1", "radius_m": ".007",
//              "length_m": ".55", "frequency_mhz": "7", "ur": "1", "zo_ohm": "75",
//              "l_degrees": "9.77", "matching_section": false}}
//          or {"source": "file", "file": "site.gnd"},
//    "fixture": {"lead_nh": 250, "top_pf": 0, "air_m": 0,
//                "file": {"name": "probe.fixture.json", "path": "probe.fixture.json",
//                         "data": {...the fixture file's own object...}}},
//    "method": "all_solutions" | "classic", "average": true,
//    "soil_model": "none" | "auto" | "constant" | "messier" | "jonscher",
//    "view": {"sort_column": 0, "sort_order": "ascending",
//             "zoom": {"freq_hz": [lo, hi], "sigma_s_per_m": [lo, hi], "eps_r": [lo, hi]}}}
// (zoom only when the user zoomed or panned the charts).
// Paths are relative to the session file's folder; a file that shares no folder with it
// below the root is kept absolute. The field texts are kept as typed, so the set-up
// reads exactly as it did. Readers ignore members they do not know and refuse a newer
// major version.
#pragma once

#include "app/sweep/sweep_setup.h"
#include "files/fixture_file.h"

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ardenca {

inline constexpr int session_major_version = 1;
inline constexpr int session_minor_version = 0;

// A session file that cannot be read or written; what() is "PATH: reason" (with the
// line for broken JSON).
class SessionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The main window's set-up fields, as typed: spacing, radius, length, frequency, ur,
// the matching section's Zo and degrees; and whether the matching section is used.
struct SessionFields {
    std::array<std::string, 7> texts;
    bool matching_section = false;
    bool operator==(const SessionFields&) const = default;
};
// The names the fields go by in a session file, in the order of SessionFields::texts.
extern const std::array<const char*, 7> session_field_names;

struct SessionFixture {
    std::string name; // as the window shows it
    std::string path; // absolute; empty for a calibration never saved
    files::FixtureFile data;
};

// The ranges the charts show, in the quantities' own units.
struct SessionZoom {
    std::array<double, 2> freq_hz{};
    std::array<double, 2> sigma_s_per_m{};
    std::array<double, 2> eps_r{};
    bool operator==(const SessionZoom&) const = default;
};

struct Session {
    std::vector<std::string> sweep_paths; // absolute
    std::string setup_file;               // absolute; empty: the main window's fields
    std::optional<SessionFields> fields;  // with the main window's fields
    FixtureOptions options;               // leads, tops, air, method, average, soil model
    std::optional<SessionFixture> fixture;
    int sort_column = -1; // -1: the files' order
    bool sort_descending = false;
    std::optional<SessionZoom> zoom; // none: the charts fit the data
};

// Given a file and the folder of the session file, the path to store: relative to the
// folder when the two share a folder below the root, else absolute.
std::string stored_path(const std::string& file, const std::string& session_folder);
// Given a stored path and the session file's folder, the absolute path.
std::string resolved_path(const std::string& stored, const std::string& session_folder);

// Given a session and where it will be written, the file's text.
std::string session_text(const Session& session, const std::string& session_path);
// Given a session file's text and its path (for relative paths and messages), the
// session. Throws SessionError for broken JSON (with its line), a missing or wrong
// member, or a newer major version.
Session parse_session(const std::string& text, const std::string& session_path);

// Reads a session file. Throws SessionError.
Session read_session_file(const std::string& path);
// Writes a session through the atomic writer. Throws files::FileError.
void write_session_file(const std::string& path, const Session& session);

// Given a session, the files it names that do not exist: sweeps and the ground data
// file of the set-up.
std::vector<std::string> missing_files(const Session& session);

} // namespace ardenca
