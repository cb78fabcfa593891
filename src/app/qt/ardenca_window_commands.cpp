// What the main window's menu items and command buttons do, and the status line that
// tells how long each took and what it found.
#include "about_ardenca.h"
#include "ardenca_window.h"
#include "ardenca_window_parts.h"
#include "calc/arithmetic_fault.h"
#include "help_window.h"

#include <QFileInfo>
#include <QLabel>

namespace ardenca::qt {

using namespace window_parts;

namespace {

// Whether the search of a command found a ground, for the status line: "ground found by
// the first stage", "no ground found (evaluation bound)".
QString outcome_phrase(const SearchOutcome& outcome) {
    const auto why = [&outcome] {
        if (!outcome.reason)
            return QString();
        return *outcome.reason == SearchStop::Fault ? QStringLiteral("arithmetic fault")
                                                    : QStringLiteral("evaluation bound");
    };
    switch (outcome.kind) {
    case GroundOutcome::FoundByFirstStage:
        return QStringLiteral("ground found by the first stage");
    case GroundOutcome::FoundBySecondStage:
        return QStringLiteral("ground found by the second stage");
    case GroundOutcome::KeptFromFirstStage:
        return why().isEmpty() ? QStringLiteral("ground kept from the first stage")
                               : "ground kept from the first stage (second stage: " + why() + ")";
    case GroundOutcome::NotFound:
        break;
    }
    return why().isEmpty() ? QStringLiteral("no ground found") : "no ground found (" + why() + ")";
}

} // namespace

// Failures of the file itself are told through CD1; an Open ends with a recalculation,
// which can stop on an arithmetic fault like "Calculate from Known  Z in".
void ArdencaWindow::open_Click() {
    const OwnCommand own(own_command_);
    const Measure measure = start_measure();
    const int failures = failures_told_;
    try {
        model_.open_Click();
        // A file that could not be read changes nothing and calculates nothing.
        if (failures_told_ != failures) {
            status_line_->setText(tr("Open failed: nothing changed."));
            return;
        }
        QString what = QStringLiteral("Open");
        const QString name =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(CD1.file_name()))).fileName();
        const bool opened = !CD1.cancelled() && !name.isEmpty();
        if (opened)
            what += ' ' + name;
        report(what, measure);
        if (opened)
            emit file_opened();
    } catch (const ArithmeticFault& fault) {
        const QString message =
            QString::fromStdString(fault_message("Open", fault, model_.fault_place()));
        report("Open", measure, message);
        show_fault(message);
    }
}

void ArdencaWindow::save_Click() {
    const OwnCommand own(own_command_);
    const int failures = failures_told_;
    model_.save_Click();
    if (CD1.cancelled())
        status_line_->setText("Save cancelled.");
    else if (failures_told_ != failures)
        status_line_->setText("Save failed.");
    else {
        status_line_->setText(
            "Saved " +
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(CD1.file_name()))).fileName() +
            ".");
        emit file_saved();
    }
}

void ArdencaWindow::close_Click() {
    if (close_action_)
        close_action_();
}

void ArdencaWindow::about_Click() {
    // One About window at a time. One that is closing (hidden, not yet deleted) is
    // replaced by a new one.
    if (about_ && about_->isVisible()) {
        about_->raise();
        about_->activateWindow();
        return;
    }
    about_ = new About_Ardenca();
    about_->show();
}

void ArdencaWindow::guide_Click() {
    show_guide();
}

void ArdencaWindow::run(Command command) {
    const QString what = qstr(command_info(command).caption);
    const OwnCommand own(own_command_);
    const Measure measure = start_measure();
    try {
        run_command(model_, command);
        report(what, measure);
    } catch (const ArithmeticFault& fault) {
        const QString message =
            QString::fromStdString(fault_message(command, fault, model_.fault_place()));
        report(what, measure, message);
        show_fault(message);
        emit command_ran(command, false);
        return;
    }
    emit command_ran(command, true);
}

ArdencaWindow::Measure ArdencaWindow::start_measure() const {
    Measure measure{QElapsedTimer(), model_.evaluations(), CD1.dialog_ns()};
    measure.clock.start();
    return measure;
}

// "Calculate from Known  Z in: 2310 model evaluations in 4.1 ms." A command that
// stopped on a fault shows the fault's message in place of its name.
void ArdencaWindow::report(const QString& what, const Measure& measure, const QString& fault) {
    // The time the user spent in a file dialog is not the calculation's.
    const double ms =
        static_cast<double>(measure.clock.nsecsElapsed() - (CD1.dialog_ns() - measure.dialog_ns)) /
        1e6;
    const std::uint64_t count = model_.evaluations() - measure.evaluations_before;
    QString text = fault.isEmpty() ? what + ":" : fault;
    if (!fault.isEmpty() && !fault.endsWith('.'))
        text += '.';
    if (const auto& outcome = model_.search_outcome()) {
        QString phrase = outcome_phrase(*outcome);
        // After the fault's sentence a new one begins.
        if (!fault.isEmpty())
            phrase[0] = phrase[0].toUpper();
        text += ' ' + phrase + ';';
    }
    text += QStringLiteral(" %1 model evaluation%2 in %3 ms.")
                .arg(count)
                .arg(count == 1 ? "" : "s")
                .arg(ms, 0, 'f', ms < 10 ? 1 : 0);
    status_line_->setText(text);
}

void ArdencaWindow::show_fault(const QString& message) {
    warn(fault_box_, "fault_box", message);
}

void ArdencaWindow::warn(QPointer<QMessageBox>& box, const char* name, const QString& message) {
    ++failures_told_;
    if (!box) {
        box = new QMessageBox(QMessageBox::Warning, qstr(window_caption), message, QMessageBox::Ok,
                              this);
        box->setObjectName(name);
        box->setAttribute(Qt::WA_DeleteOnClose);
    }
    box->setText(message);
    // Not exec(): the warning must not hold up the event loop.
    box->open();
}

} // namespace ardenca::qt
