// The window's file dialog CD1, shared by File, Open and File, Save: its settings live
// here, the asking is done by a front end (a Qt file dialog, or a script for the
// command-line program and the tests).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardenca {

// Description and pattern pairs, each followed by "|".
inline constexpr std::string_view ground_file_filter =
    "Ground Data Files (*.gnd)|*.gnd|All Files (*.*)|*.*|";

struct FilterEntry {
    std::string description; // "Ground Data Files (*.gnd)"
    std::string patterns;    // "*.gnd"; several are separated by ";"
};
// The pairs of a filter string; a trailing description without a pattern is dropped.
std::vector<FilterEntry> filter_entries(std::string_view filter);

// The entries as name filters of the form "Description (pattern pattern)", the form a
// file dialog that finds the patterns in the last parentheses expects. The description's
// own parenthesised patterns are replaced by the entry's patterns, and "*.*" becomes
// "*" so that it also shows files without an extension: "All Files (*)".
std::vector<std::string> name_filters(std::string_view filter);

// Thrown by show_open and show_save for a cancel while cancel reporting is on.
struct DialogCancelled {};

enum class DialogKind { Open, Save };

class FileDialog {
  public:
    // The initial folder is the process's current directory.
    FileDialog();
    virtual ~FileDialog() = default;

    const std::string& filter() const { return filter_; }
    void set_filter(std::string filter) { filter_ = std::move(filter); }
    // 1 selects the first entry.
    int filter_index() const { return filter_index_; }
    void set_filter_index(int index) { filter_index_ = index; }
    const std::string& initial_dir() const { return initial_dir_; }
    void set_initial_dir(std::string folder) { initial_dir_ = std::move(folder); }
    // The file chosen last in either dialog, as the dialog returned it; proposed by
    // the next dialog.
    const std::string& file_name() const { return file_name_; }
    void set_file_name(std::string name) { file_name_ = std::move(name); }
    // Off: a cancel returns normally and keeps the file name. On: a cancel throws.
    bool cancel_error() const { return cancel_error_; }
    void set_cancel_error(bool on) { cancel_error_ = on; }

    // The folder of the file chosen last; the initial folder until one is chosen.
    const std::string& chosen_folder() const { return chosen_folder_; }
    // Whether the user cancelled the dialog shown last.
    bool cancelled() const { return cancelled_; }

    // Show the dialog and wait for the user. A chosen file becomes file_name().
    void show_open() { show(DialogKind::Open); }
    void show_save() { show(DialogKind::Save); }

    // Tells the user why a file command failed. Must not wait for the user.
    virtual void tell_failure(const std::string& message) = 0;

  protected:
    // Asks the user with the current settings; nullopt for a cancel.
    virtual std::optional<std::string> ask(DialogKind kind) = 0;

  private:
    void show(DialogKind kind);

    std::string filter_;
    int filter_index_ = 0;
    std::string initial_dir_;
    std::string file_name_;
    bool cancel_error_ = false;
    std::string chosen_folder_;
    bool cancelled_ = false;
};

// A dialog that answers from a script: each show takes the next queued answer, and
// with none queued the user cancels. Failures are kept, and passed on to a callback.
class ScriptedFileDialog : public FileDialog {
  public:
    void answer(std::string path) { answers_.push_back(std::move(path)); }
    void answer_cancel() { answers_.push_back(std::nullopt); }

    struct Shown {
        DialogKind kind;
        std::string filter;
        int filter_index;
        std::string initial_dir;
        std::string file_name; // as proposed
    };
    const std::vector<Shown>& shown() const { return shown_; }
    const std::vector<std::string>& failures() const { return failures_; }

    void on_failure(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

    void tell_failure(const std::string& message) override;

  protected:
    std::optional<std::string> ask(DialogKind kind) override;

  private:
    std::vector<std::optional<std::string>> answers_;
    std::size_t next_answer_ = 0;
    std::vector<Shown> shown_;
    std::vector<std::string> failures_;
    std::function<void(const std::string&)> sink_;
};

} // namespace ardenca
