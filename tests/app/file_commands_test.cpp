#include "../files/failing_save_system.h"
#include "../files/temp_dir.h"
#include "app/ardenca.h"
#include "calc/arithmetic_fault.h"

#include <gtest/gtest.h>

namespace ardenca {
namespace {

using enum Field;
using testing::read_bytes;
using testing::write_bytes;

const std::string default_file =
    " 0 \r\n 1 \r\n75\r\n9.77\r\n65.1779\r\n-67.3409\r\n.1\r\n.007\r\n.55\r\n7\r\n";
constexpr Field inputs[] = {Text25, Text26, Text23, Text24, Text1, Text2, Text3, Text8, Text31};

// The default file with lines 1 to 3 replaced, each ended with end.
std::string file_with(const std::string& l1, const std::string& l2, const std::string& l3,
                      const std::string& end = "\r\n") {
    std::string out;
    for (auto line :
         {l1, l2, l3, std::string("9.77"), std::string("65.1779"), std::string("-67.3409"),
          std::string(".1"), std::string(".007"), std::string(".55"), std::string("7")})
        out += line + end;
    return out;
}

class FileCommands : public ::testing::Test {
  protected:
    FileCommands() { model.set_file_dialog(&dialog); }
    void click(void (Ardenca::*command)(), const std::string& name) {
        dialog.answer(dir / name);
        (model.*command)();
    }
    bool recalculated() const { return !model.text(Text13).empty(); }

    testing::TempDir dir;
    Ardenca model;
    ScriptedFileDialog dialog;
};

TEST_F(FileCommands, SaveThenOpenRestoresEveryInput) {
    click(&Ardenca::save_Click, "a.gnd");
    EXPECT_EQ(read_bytes(dir / "a.gnd"), default_file);
    EXPECT_EQ(model.caption(), "Ardenca - a.gnd");
    EXPECT_FALSE(recalculated());

    const char* texts[] = {"50", "abc", " 4.533605 ", "", ".1 ", ".00635", "1,5", "14.1"};
    for (int i = 0; i < 8; ++i)
        model.set_text(inputs[i], texts[i]);
    model.select_option(MatchingOption::UseMatchingSection);
    for (auto [typed, shown] : {std::pair{"1", "1.00"}, {"2.5", "2.50"}, {"1.23456", "1.2346"}}) {
        model.set_text(Text31, typed);
        click(&Ardenca::save_Click, "b.gnd");
        model.select_option(MatchingOption::None);
        model.set_text(Text25, "");
        click(&Ardenca::open_Click, "b.gnd");
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(model.text(inputs[i]), texts[i]);
        EXPECT_EQ(model.text(Text31), shown);
        EXPECT_TRUE(model.matching_section_used());
        EXPECT_EQ(model.caption(), "Ardenca - b.gnd");
    }
    EXPECT_TRUE(dialog.failures().empty());
}

TEST_F(FileCommands, OpenReadsTenLinesAndTellsWhatWasWrong) {
    const Ardenca fresh;
    const struct {
        std::string bytes;
        bool fields_set, option_set;
        std::string failure;
    } cases[] = {
        {file_with(" 1 ", " 1 ", "50") + "more\r\n\x01", true, true, ""},
        {file_with(" 2 ", " 1 ", "50"), true, false, ""},
        {file_with(" 1 ", " 1 ", "50", "\n"), false, false, "ends after line 1, but"},
        {file_with(" 1 ", " 1 ", "50").substr(0, 54), false, false, "ends after line 9, but"},
        {file_with("yes", " 1 ", "50"), true, false, "line 1 should be a number but is \"yes\""},
        {file_with(" 1 ", "1 H/m", "50"), false, false, "line 2 should be a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failure);
        Ardenca model;
        ScriptedFileDialog dialog;
        model.set_file_dialog(&dialog);
        write_bytes(dir / "x.gnd", c.bytes);
        dialog.answer(dir / "x.gnd");
        model.open_Click();
        EXPECT_EQ(model.text(Text25), c.fields_set ? "50" : "75");
        EXPECT_EQ(model.text(Text31), c.fields_set ? "1.00" : "1");
        EXPECT_EQ(model.matching_section_used(), c.option_set);
        EXPECT_EQ(model.caption(), c.failure.empty() ? "Ardenca - x.gnd" : "Ardenca");
        EXPECT_FALSE(model.text(Text13).empty()); // recalculated either way
        if (c.failure.empty()) {
            EXPECT_TRUE(dialog.failures().empty());
        } else {
            ASSERT_EQ(dialog.failures().size(), 1u);
            EXPECT_EQ(dialog.failures()[0].rfind("Could not open " + (dir / "x.gnd") + ": ", 0),
                      0u);
            EXPECT_NE(dialog.failures()[0].find(c.failure), std::string::npos);
        }
    }
}

TEST_F(FileCommands, CancelReportingIsOffUntilTheFirstSave) {
    model.open_Click(); // cancelled before anything: reads nothing, recalculates
    EXPECT_TRUE(recalculated());
    EXPECT_EQ(dialog.shown().at(0).filter, "Ground Data Files (*.gnd)|*.gnd|All Files (*.*)|*.*|");
    EXPECT_EQ(dialog.shown().at(0).filter_index, 1);

    write_bytes(dir / "a.gnd", file_with(" 0 ", " 1 ", "55"));
    click(&Ardenca::open_Click, "a.gnd");
    model.set_text(Text25, "99");
    model.open_Click(); // cancelled with reporting off: the last file is read again
    EXPECT_EQ(model.text(Text25), "55");

    model.save_Click(); // cancelled; it proposed the file opened last
    EXPECT_EQ(dialog.shown().back().file_name, dir / "a.gnd");
    EXPECT_TRUE(dialog.cancel_error());
    model.set_text(Text25, "99");
    model.set_text(Text13, "");
    model.open_Click(); // cancelled with reporting on: nothing read, recalculated
    EXPECT_EQ(model.text(Text25), "99");
    EXPECT_TRUE(recalculated());
    EXPECT_TRUE(dialog.failures().empty()); // cancels are silent
    EXPECT_EQ(read_bytes(dir / "a.gnd"), file_with(" 0 ", " 1 ", "55"));
}

TEST_F(FileCommands, SaveProposesNewGndUntilAFileIsChosen) {
    model.save_Click();
    EXPECT_EQ(dialog.shown().back().file_name, "new.gnd");
    dialog.set_file_name("*.gnd");
    model.save_Click();
    EXPECT_EQ(dialog.shown().back().file_name, "new.gnd");
    EXPECT_EQ(model.caption(), "Ardenca");
    click(&Ardenca::save_Click, "b.gnd");
    model.save_Click();
    EXPECT_EQ(dialog.shown().back().file_name, dir / "b.gnd");
    EXPECT_EQ(dialog.shown().back().initial_dir, dir.path().string());
}

TEST_F(FileCommands, AFailedSaveTellsTheUserAndKeepsTheOldFile) {
    write_bytes(dir / "a.gnd", "old");
    testing::FailingSaveSystem full;
    full.fail = testing::FailingSaveSystem::Call::Write;
    full.error = ENOSPC;
    full.write_budget = 20;
    model.set_save_system(full);
    click(&Ardenca::save_Click, "a.gnd");
    model.set_save_system(files::real_save_system());
    model.set_text(Text31, "1e999"); // too large to read: no number to save
    click(&Ardenca::save_Click, "a.gnd");

    EXPECT_EQ(read_bytes(dir / "a.gnd"), "old");
    EXPECT_EQ(model.caption(), "Ardenca");
    EXPECT_EQ(model.state.ur, 1);
    ASSERT_EQ(dialog.failures().size(), 2u);
    EXPECT_EQ(dialog.failures()[0], "The file was not saved: " + (dir / "a.gnd") +
                                        ": writing failed: No space left on device. Any earlier "
                                        "file of that name is unchanged.");
    EXPECT_NE(dialog.failures()[1].find("the ur field cannot be read as a number (overflow"),
              std::string::npos);
}

TEST(FileDialogFilter, EntriesAndNameFilters) {
    const auto entries = filter_entries(ground_file_filter);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].description, "All Files (*.*)");
    EXPECT_EQ(entries[1].patterns, "*.*");
    EXPECT_EQ(name_filters(ground_file_filter),
              (std::vector<std::string>{"Ground Data Files (*.gnd)", "All Files (*)"}));
    EXPECT_EQ(name_filters("Text|*.txt;*.TXT|Odd"), std::vector<std::string>{"Text (*.txt *.TXT)"});
}

struct Text4Writes : ArdencaObserver {
    int writes = 0;
    void field_changed(Field f) override { writes += f == Text4; }
    void option_changed() override {}
    void caption_changed() override {}
};

TEST_F(FileCommands, AFaultInTheRecalculationRunsItOnceMoreThenLeaves) {
    // Length 0 stops the air-line model after Text4, before a search can catch it.
    std::string bytes = default_file;
    bytes.replace(bytes.find(".55"), 3, "0");
    write_bytes(dir / "zero.gnd", bytes);
    Text4Writes observer;
    model.set_observer(&observer);
    dialog.answer(dir / "zero.gnd");
    EXPECT_THROW(model.open_Click(), ArithmeticFault);
    model.set_observer(nullptr);
    EXPECT_EQ(observer.writes, 2);
    EXPECT_EQ(model.text(Text3), "0");
    EXPECT_EQ(model.caption(), "Ardenca - zero.gnd");
}

} // namespace
} // namespace ardenca
