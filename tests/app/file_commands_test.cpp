// File, Open and File, Save of the window model, answered by a scripted dialog.
#include "../files/failing_save_system.h"
#include "../files/temp_dir.h"
#include "app/ardenca.h"
#include "calc/arithmetic_fault.h"
#include "files/ground_file.h"
#include "model_fixture.h"

#include <gtest/gtest.h>

namespace ardenca {
namespace {

using namespace ardenca::testing;
using enum Field;

// The default file with lines 1 to 3 replaced, every line ended with end.
std::string file_with(const std::string& l1, const std::string& l2, const std::string& l3,
                      const std::string& end = "\r\n") {
    std::string out = l1 + end + l2 + end + l3 + end;
    for (const char* line : {"9.77", "65.1779", "-67.3409", ".1", ".007", ".55", "7"})
        out += line + end;
    return out;
}

// The dialog told one failure that contains failure; none for "".
void expect_told(const ScriptedFileDialog& dialog, const std::string& failure) {
    const std::string told = dialog.failures().empty() ? "" : dialog.failures()[0];
    EXPECT_EQ(dialog.failures().size(), failure.empty() ? 0u : 1u) << failure;
    EXPECT_NE(told.find(failure), std::string::npos) << told;
}

class FileCommands : public ::testing::Test {
  protected:
    FileCommands() { model.set_file_dialog(&dialog); }
    void click(void (Ardenca::*command)(), const std::string& name) {
        dialog.answer(dir / name);
        (model.*command)();
    }

    TempDir dir;
    Ardenca model;
    ScriptedFileDialog dialog;
};

TEST_F(FileCommands, SaveThenOpenRestoresEveryInput) {
    click(&Ardenca::save_Click, "a.gnd");
    EXPECT_EQ(dialog.shown()[0].file_name, "new.gnd");
    EXPECT_EQ(read_bytes(dir / "a.gnd"), file_with(" 0 ", " 1 ", "75"));
    EXPECT_EQ(model.caption(), "Ardenca - a.gnd");

    // Lines 3 to 10 keep the text as typed, whatever it is.
    const FieldTextList typed = {{Text25, "50"}, {Text26, "abc"}, {Text23, " 4.533605 "},
                                 {Text24, ""},   {Text1, ".1 "},  {Text2, ".00635"},
                                 {Text3, "1,5"}, {Text8, "14.1"}};
    set_fields(model, typed);
    model.select_option(MatchingOption::UseMatchingSection);
    model.set_text(Text31, "1.23456"); // saved as a number, shown after the pattern
    click(&Ardenca::save_Click, "b.gnd");
    model.select_option(MatchingOption::None);
    model.set_text(Text25, "");
    click(&Ardenca::open_Click, "b.gnd");
    expect_texts(model, typed);
    EXPECT_EQ(std::tuple(model.text(Text31), model.matching_section_used(), model.caption()),
              std::tuple("1.2346", true, "Ardenca - b.gnd"));
    EXPECT_TRUE(dialog.failures().empty());
}

TEST_F(FileCommands, OpenReadsTenLinesAndTellsWhatWasWrong) {
    const struct {
        std::string bytes;
        bool fields_set, option_set;
        std::string failure;
    } cases[] = {
        {file_with(" 1 ", " 1 ", "50") + "more\r\n\x01", true, true, ""},
        {file_with(" 2 ", " 1 ", "50"), true, false, ""},      // neither 0 nor 1: the option stays
        {file_with(" 1 ", " 1 ", "50", "\n"), true, true, ""}, // no CR at all: LF ends lines
        {file_with(" 1 ", " 1 ", "50").substr(0, 54), false, false, "ends after line 9, but"},
        // A failed Open changes nothing, whichever line is wrong.
        {file_with("yes", " 1 ", "50"), false, false,
         "x.gnd: line 1 should be a number but is \"yes\""},
        {"\xEF\xBB\xBF" + file_with(" 1 ", " 1 ", "50"), false, false, "byte-order mark"},
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
        // Recalculated after a good file only: a failed Open changes nothing.
        EXPECT_EQ(model.text(Text13).empty(), !c.failure.empty());
        expect_told(dialog, c.failure);
    }
}

TEST_F(FileCommands, CancelReportingIsOffUntilTheFirstSave) {
    model.open_Click(); // cancelled before anything: reads nothing, recalculates
    EXPECT_FALSE(model.text(Text13).empty());

    write_bytes(dir / "a.gnd", file_with(" 0 ", " 1 ", "55"));
    click(&Ardenca::open_Click, "a.gnd");
    model.set_text(Text25, "99");
    model.open_Click(); // cancelled with reporting off: the last file is read again
    EXPECT_EQ(model.text(Text25), "55");

    model.save_Click(); // cancelled; it proposed the file opened last, in its folder
    EXPECT_EQ(dialog.shown().back().file_name, dir / "a.gnd");
    EXPECT_EQ(dialog.shown().back().initial_dir, dir.path().string());
    model.set_text(Text25, "99");
    model.set_text(Text13, "");
    model.open_Click(); // cancelled with reporting on: nothing read, recalculated
    EXPECT_EQ(model.text(Text25), "99");
    EXPECT_FALSE(model.text(Text13).empty());

    dialog.set_file_name("*.gnd"); // a pattern left as the name is no proposal
    model.save_Click();
    EXPECT_EQ(dialog.shown().back().file_name, "new.gnd");
    EXPECT_TRUE(dialog.failures().empty()); // cancels are silent
    EXPECT_EQ(read_bytes(dir / "a.gnd"), file_with(" 0 ", " 1 ", "55"));
}

// A failed save tells the user and keeps the old file.
TEST_F(FileCommands, SaveRefusesAFieldThatOpenWouldMisreadAndAFullDevice) {
    write_bytes(dir / "a.gnd", "old");
    std::string longest = "65";
    longest.resize(files::max_line_bytes, ' ');
    const struct {
        Field field;
        std::string text, failure; // "" for a save that succeeds
        bool device_full = false;  // lets 20 bytes through
    } cases[] = {
        {Text25, "75\r 1 ", "the field \"Zo\" (Text25) holds a line break"},
        {Text8, "7\n", "the field \"Frequency Mhz\" (Text8) holds a line break"},
        {Text23, longest + "1", "the field \"R in\" (Text23) is longer than 64 KiB"},
        // Too large to read: no number to save.
        {Text31, "1e999", "the ur field cannot be read as a number (overflow"},
        {Text25, "75",
         "The file was not saved: " + (dir / "a.gnd") +
             ": writing failed: No space left on device. Any earlier file of that name is "
             "unchanged.",
         true},
        {Text23, longest, ""},
    };
    for (const auto& c : cases) {
        Ardenca model;
        ScriptedFileDialog dialog;
        model.set_file_dialog(&dialog);
        FailingSaveSystem full(FailingSaveSystem::Call::Write, ENOSPC, 20);
        if (c.device_full)
            model.set_save_system(full);
        model.set_text(c.field, c.text);
        dialog.answer(dir / "a.gnd");
        model.save_Click();
        expect_told(dialog, c.failure);
        if (c.failure.empty()) {
            dialog.answer(dir / "a.gnd");
            model.set_text(c.field, "");
            model.open_Click();
            EXPECT_EQ(model.text(c.field), c.text);
            continue;
        }
        EXPECT_EQ(read_bytes(dir / "a.gnd"), "old");
        EXPECT_EQ(model.caption(), "Ardenca");
        EXPECT_EQ(dir.entries().size(), 1u);
    }
}

TEST_F(FileCommands, AFaultInTheRecalculationReachesTheCallerAfterTheFileWasRead) {
    // Length 0 stops the air-line model before a search can catch it.
    model.set_text(Text3, "0");
    click(&Ardenca::save_Click, "zero.gnd");
    model.set_text(Text3, ".55");
    EXPECT_THROW(click(&Ardenca::open_Click, "zero.gnd"), ArithmeticFault);
    EXPECT_EQ(model.text(Text3), "0");
    EXPECT_EQ(model.caption(), "Ardenca - zero.gnd");
}

} // namespace
} // namespace ardenca
