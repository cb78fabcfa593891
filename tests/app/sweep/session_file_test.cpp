// Session files: paths kept relative to the session, files that moved, versions refused
// and a session that reads back as it was written.
#include "app/sweep/session_file.h"

#include "../../files/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace ardenca;
using ardenca::testing::TempDir;
using ardenca::testing::write_bytes;
namespace fs = std::filesystem;

namespace {

// A session with every member away from its default.
Session full_session(const TempDir& dir) {
    Session session;
    session.sweep_paths = {dir / "site/north.s1p", dir / "site/south.s2p"};
    session.setup_file = dir / "probe.gnd";
    session.options.lead_nh = 250.5;
    session.options.top_pf = 3.25;
    session.options.air_m = 0.05;
    session.options.method = sweep::SolveMethod::Classic;
    session.options.average = false;
    session.options.fit = sweep::FitChoice::Messier;
    SessionFixture fixture;
    fixture.name = "probe.fixture.json";
    fixture.path = dir / "cal/probe.fixture.json";
    fixture.data.spacing_m = 0.1;
    fixture.data.radius_m = 0.007;
    fixture.data.length_m = 0.55;
    fixture.data.lead_nh = {240, 4};
    fixture.data.top_pf = {2.5, 0.1};
    session.fixture = fixture;
    session.sort_column = 3;
    session.sort_descending = true;
    session.zoom = SessionZoom{{2e6, 2.9e7}, {1e-3, 0.02}, {8, 31.5}};
    return session;
}

std::string session_json(const std::string& version, const std::string& extra = "") {
    return R"({"format": "ardenca-session", "version": ")" + version + R"(",
  "sweeps": ["a.s1p"], "setup": {"source": "window"},
  "fixture": {"lead_nh": 0, "top_pf": 0, "air_m": 0},
  "method": "all_solutions", "average": true, "soil_model": "none")" +
           extra + "}";
}

} // namespace

TEST(SessionFile, PathsAreRelativeToTheSessionUnlessOnlyTheRootIsShared) {
    EXPECT_EQ(stored_path("/home/me/site/a.s1p", "/home/me"), "site/a.s1p");
    EXPECT_EQ(stored_path("/home/me/other/b.s1p", "/home/me/site"), "../other/b.s1p");
    EXPECT_EQ(stored_path("/media/usb/c.s1p", "/home/me"), "/media/usb/c.s1p");
    for (const auto& [file, folder] :
         {std::pair{"/home/me/site/a.s1p", "/home/me"}, std::pair{"/media/usb/c.s1p", "/home/me"},
          std::pair{"/home/me/other/b.s1p", "/home/me/site"}})
        EXPECT_EQ(resolved_path(stored_path(file, folder), folder), file);
}

TEST(SessionFile, ReadsBackWhatWasWrittenAndFollowsAMovedFolder) {
    TempDir dir;
    const Session written = full_session(dir);
    write_session_file(dir / "field day.json", written);
    const Session read = read_session_file(dir / "field day.json");
    EXPECT_EQ(read.sweep_paths, written.sweep_paths);
    EXPECT_EQ(read.setup_file, written.setup_file);
    EXPECT_EQ(read.options, written.options);
    ASSERT_TRUE(read.fixture);
    EXPECT_EQ(read.fixture->name, written.fixture->name);
    EXPECT_EQ(read.fixture->path, written.fixture->path);
    EXPECT_EQ(read.fixture->data.lead_nh.value, 240);
    EXPECT_EQ(read.fixture->data.top_pf.u, 0.1);
    EXPECT_EQ(read.sort_column, 3);
    EXPECT_TRUE(read.sort_descending);
    EXPECT_EQ(read.zoom, written.zoom);
    EXPECT_FALSE(read.fields);

    // The whole folder moved: the session finds its files in the new place.
    TempDir other;
    fs::copy_file(dir / "field day.json", other / "field day.json");
    const Session moved = read_session_file(other / "field day.json");
    EXPECT_EQ(moved.sweep_paths.at(1), other / "site/south.s2p");
    EXPECT_EQ(moved.setup_file, other / "probe.gnd");

    // The main window's fields, kept as typed.
    Session window = written;
    window.setup_file.clear();
    window.fields = SessionFields{{".1", "7e-3", "0.55", "14.2", "1", "50", "12.5"}, true};
    const Session back = parse_session(session_text(window, dir / "s.json"), dir / "s.json");
    EXPECT_TRUE(back.setup_file.empty());
    EXPECT_EQ(back.fields, window.fields);
}

TEST(SessionFile, NamesTheFilesThatAreMissing) {
    TempDir dir;
    Session session = full_session(dir);
    fs::create_directory(dir / "site");
    write_bytes(dir / "site/north.s1p", "# Hz S RI R 50\n");
    const std::vector<std::string> expected{dir / "site/south.s2p", dir / "probe.gnd"};
    EXPECT_EQ(missing_files(session), expected);
    write_bytes(dir / "probe.gnd", "0\n1\n");
    session.sweep_paths.pop_back();
    EXPECT_TRUE(missing_files(session).empty());
}

TEST(SessionFile, RefusesNewerMajorVersionsAndBrokenFilesIgnoresUnknownMembers) {
    const std::string path = "/tmp/s.json";
    EXPECT_NO_THROW(parse_session(session_json("1.0"), path));
    // A newer minor version adds members; they are ignored.
    const Session later = parse_session(
        session_json("1.7", R"(, "markers": [1, 2], "view": {"zoom": "x", "sort_column": 2})"),
        path);
    EXPECT_EQ(later.sweep_paths, std::vector<std::string>{"/tmp/a.s1p"});
    EXPECT_EQ(later.sort_column, 2);
    EXPECT_FALSE(later.zoom);
    auto refusal = [&path](const std::string& text) {
        try {
            parse_session(text, path);
        } catch (const SessionError& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(refusal(session_json("2.0")).find("newer"), std::string::npos);
    EXPECT_NE(refusal(session_json("one")).find("MAJOR.MINOR"), std::string::npos);
    // The broken line is named: the comma is missing at the end of line 2.
    std::string broken = session_json("1.0");
    broken.erase(broken.find("],") + 1, 1);
    EXPECT_NE(refusal(broken).find("line 2"), std::string::npos) << refusal(broken);
    std::string unknown_model = session_json("1.0");
    unknown_model.replace(unknown_model.find("\"none\""), 6, "\"cubic\"");
    EXPECT_NE(refusal(unknown_model).find("cubic"), std::string::npos);
    EXPECT_NE(refusal("[1, 2]").find("not an object"), std::string::npos);
}
