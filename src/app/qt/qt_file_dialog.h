// The window's file dialog CD1 as a Qt file dialog. The settings (filter, initial
// folder, proposed name, cancel reporting) are the model's; this class only asks the
// user with them and reports failures in a message box that does not wait.
#pragma once

#include "app/file_dialog.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

namespace ardenca::qt {

class QtFileDialog : public FileDialog {
  public:
    // tell shows a failure message to the user without waiting for them.
    QtFileDialog(QWidget* parent, std::function<void(const QString&)> tell);

    // Runs the prepared dialog and returns its result; by default exec(). Tests put
    // a function here that checks the dialog and answers it.
    using Runner = std::function<int(QFileDialog&)>;
    void set_runner(Runner runner) { runner_ = std::move(runner); }

    // The next dialog is answered with path without being shown: a file named on the
    // command line is opened exactly as if the user had chosen it.
    void answer_next(const QString& path) { next_answer_ = path; }

    void tell_failure(const std::string& message) override;

    // The time spent in dialogs so far, in nanoseconds: a command's time less this is
    // its own.
    qint64 dialog_ns() const { return dialog_ns_; }

  protected:
    std::optional<std::string> ask(DialogKind kind) override;

  private:
    QWidget* parent_;
    std::function<void(const QString&)> tell_;
    Runner runner_;
    std::optional<QString> next_answer_;
    qint64 dialog_ns_ = 0;
};

} // namespace ardenca::qt
