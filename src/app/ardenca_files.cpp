// File, Open and File, Save of the main window.
#include "app/ardenca.h"

#include "app/number_text.h"
#include "calc/arithmetic_fault.h"
#include "files/atomic_writer.h"
#include "files/file_error.h"
#include "files/ground_file.h"
#include "files/ground_reader.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace ardenca {

using enum Field;
using files::FileError;
using files::FileErrorKind;
using files::FileNumber;

namespace {

// The fields of lines 3 to 10, in file order.
constexpr std::array<Field, 8> file_fields{Text25, Text26, Text23, Text24,
                                           Text1,  Text2,  Text3,  Text8};

// A line as a message shows it: at most 40 characters, anything unprintable as "?".
std::string shown_line(std::string_view line) {
    std::string out = "\"";
    for (std::size_t i = 0; i < line.size() && i < 40; ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        out += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    out += line.size() > 40 ? "...\"" : "\"";
    return out;
}

// The value of line 1 or 2; a line that is not a number in the file's sense fails the
// Open.
double file_number(const std::string& path, int line_number, const std::string& line) {
    if (line_number == 1 && line.starts_with("\xEF\xBB\xBF"))
        throw files::open_error(FileErrorKind::NotANumber, path,
                                "the file starts with a UTF-8 byte-order mark, which a ground "
                                "data file does not have");
    const FileNumber number = files::read_file_number(line);
    if (number.status == FileNumber::Status::TooLarge)
        throw files::open_error(FileErrorKind::NotANumber, path,
                                "line " + std::to_string(line_number) +
                                    " holds a number too large to use: " + shown_line(line));
    if (number.status != FileNumber::Status::Number)
        throw files::open_error(FileErrorKind::NotANumber, path,
                                "line " + std::to_string(line_number) +
                                    " should be a number but is " + shown_line(line));
    return number.value;
}

// A field's text becomes one line of the file: a line break in it, or more than a
// line may hold, would make the file read back wrong or not at all.
void check_storable(const std::string& path, Field field, const std::string& text) {
    const std::string name = "the field \"" + std::string(field_info(field).label.caption) +
                             "\" (" + std::string(field_name(field)) + ")";
    if (text.find_first_of("\r\n") != std::string::npos)
        throw files::save_error(FileErrorKind::FieldNotStorable, path,
                                name + " holds a line break, which a ground data file cannot "
                                       "keep inside a line");
    if (text.size() > files::max_line_bytes)
        throw files::save_error(FileErrorKind::FieldNotStorable, path,
                                name + " is longer than 64 KiB, more than a line of a ground "
                                       "data file may hold");
}

FileDialog& dialog_of(FileDialog* dialog) {
    if (!dialog)
        throw std::logic_error("Ardenca: no file dialog is set");
    return *dialog;
}

} // namespace

void Ardenca::caption_for_file(const std::string& path) {
    set_caption(std::string(window_caption) + " - " +
                std::filesystem::path(path).filename().string());
}

void Ardenca::open_Click() {
    // The command begins once the file is known to be good, or the dialog was
    // cancelled: a failed Open is no command at all and leaves the last one's outcome,
    // marks and answers as they were.
    std::optional<CommandScope> command;
    FileDialog& dialog = dialog_of(CD1);
    files::GroundFileReader file;
    try {
        dialog.set_filter(std::string(ground_file_filter));
        dialog.set_filter_index(1);
        dialog.show_open();
        dialog.set_initial_dir(dialog.chosen_folder());
        const std::string path = dialog.file_name();

        file.open(path);
        const std::string flag = file.read_line();
        const std::string permeability = file.read_line();
        for (int slot = 1; slot <= 8; ++slot)
            line_buf[slot] = file.read_line();
        file.close();

        // The whole file is checked before anything changes: a failed Open leaves every
        // field, the option, the caption and the answers as they were.
        const double flag_value = file_number(path, 1, flag);
        const double ur_value = file_number(path, 2, permeability);

        command.emplace(*this, true);
        // The recalculation sets ur again from Text31; only the text shown matters.
        state_.ur = ur_value;
        set_text(Text31, format_number(ur_value, pattern::permeability));
        for (int slot = 1; slot <= 8; ++slot)
            set_text(file_fields[slot - 1], line_buf[slot]);
        if (flag_value == 1)
            select_option(MatchingOption::UseMatchingSection);
        if (flag_value == 0)
            select_option(MatchingOption::None);

        caption_for_file(path);
        recalculate();
        return;
    } catch (const DialogCancelled&) {
    } catch (const FileError& error) {
        // A file that fails to open changes nothing, not even the answers: no
        // recalculation, so a ground chosen with Show stays on screen.
        if (!dialog.cancelled()) {
            dialog.tell_failure(error.what());
            file.close();
            return;
        }
        // A cancelled dialog stays silent, even when it left a name that fails to open.
    } catch (const ArithmeticFault&) {
        // The recalculation faulted before a search could catch it: once more below.
    }
    // A cancelled dialog recalculates the current fields, as the first program did; a
    // fault here leaves the command.
    file.close();
    if (!command)
        command.emplace(*this, true);
    recalculate();
}

void Ardenca::save_Click() {
    CommandScope command(*this, false);
    FileDialog& dialog = dialog_of(CD1);
    dialog.set_cancel_error(true);
    std::string path;
    try {
        if (dialog.file_name() == "*.gnd")
            dialog.set_file_name("new.gnd");
        if (dialog.file_name().empty())
            dialog.set_file_name("new.gnd");
        dialog.set_filter(std::string(ground_file_filter));
        dialog.set_filter_index(1);
        dialog.show_save();
        dialog.set_initial_dir(dialog.chosen_folder());
        path = dialog.file_name();

        const double flag = matching_section_used() ? 1 : 0;
        state_.ur = number_in(Text31);
        for (Field field : file_fields)
            check_storable(path, field, text(field));

        files::AtomicFileWriter file(path, *save_system_);
        file.write(files::format_file_number(flag));
        file.write(files::line_end);
        file.write(files::format_file_number(state_.ur));
        file.write(files::line_end);
        for (Field field : file_fields) {
            file.write(text(field));
            file.write(files::line_end);
        }
        file.commit();

        caption_for_file(path);
    } catch (const DialogCancelled&) {
    } catch (const FileError& error) {
        dialog.tell_failure(error.what());
    } catch (const ArithmeticFault& fault) {
        dialog.tell_failure(
            files::save_error(FileErrorKind::NotANumberToSave, path,
                              "the ur field cannot be read as a number (" + fault.detail() + ")")
                .what());
    }
}

} // namespace ardenca
