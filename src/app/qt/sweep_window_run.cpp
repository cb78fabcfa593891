// The sweep window's worker glue: a run's thread, the steps it sends back, the
// progress shown while it solves and the status line when it ends.
#include "app/sweep/number_format.h"
#include "sweep_chart_view.h"
#include "sweep_table_model.h"
#include "sweep_window.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QThread>

#include <algorithm>

namespace ardenca::qt {

void SweepWindow::launch(std::vector<std::string> paths, SweepSetup setup) {
    stop_worker();
    table_model_->clear();
    const int run = model_.start(paths, setup);
    messages_shown_ = 0;
    messages_->clear();
    charts_->set_result(model_.result());
    charts_->reset_view();
    chart_clock_.invalidate();
    show_setup();
    show_soil();
    if (model_.state() != SweepModel::State::Running) {
        end_run();
        return;
    }

    clock_.start();
    control_ = std::make_shared<RunControl>();
    std::shared_ptr<SweepWork> work = work_maker_(std::move(paths), std::move(setup));
    control_->work = work;
    auto control = control_;
    worker_ = QThread::create([this, work, control, run] {
        for (;;) {
            SweepStep step = work->next();
            if (control->stop)
                return;
            const bool last =
                step.kind == SweepStep::Kind::Finished || step.kind == SweepStep::Kind::Failed;
            // The step moves into the call: this thread keeps nothing of it.
            QMetaObject::invokeMethod(
                this,
                [this, run, step = std::move(step)]() mutable { take_step(run, std::move(step)); },
                Qt::QueuedConnection);
            if (last)
                return;
        }
    });
    worker_->setParent(this);
    worker_->setObjectName(QStringLiteral("sweep_worker"));
    connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
    worker_->start(QThread::LowPriority);

    progress_->setRange(0, 0);
    progress_->setVisible(true);
    cancel_button_->setVisible(true);
    cancel_button_->setEnabled(true);
    status_->setText(
        tr("Reading %1…")
            .arg(QString::fromStdString(counted(model_.paths().size(), "file", "files"))));
    refresh_timer_.start();
}

void SweepWindow::stop_worker() {
    if (control_) {
        control_->stop = true;
        if (control_->work)
            control_->work->request_stop();
    }
    control_.reset();
    worker_ = nullptr; // it ends within its step's next few points and deletes itself
}

bool SweepWindow::running() const {
    return model_.state() == SweepModel::State::Running;
}

void SweepWindow::cancel() {
    if (!running())
        return;
    stop_worker();
    model_.cancel();
    end_run();
}

void SweepWindow::take_step(int run, SweepStep step) {
    const SweepStep::Kind kind = step.kind;
    if (!model_.apply(run, std::move(step)))
        return;
    dirty_ = true;
    if (kind == SweepStep::Kind::Finished || kind == SweepStep::Kind::Failed) {
        control_.reset();
        worker_ = nullptr;
        end_run();
    } else if (kind == SweepStep::Kind::Read || kind == SweepStep::Kind::Refused) {
        show_messages();
    }
}

void SweepWindow::refresh() {
    if (!dirty_ && !dirty_charts_) {
        show_progress();
        return;
    }
    dirty_charts_ = false;
    dirty_ = false;
    table_model_->update();
    show_messages();
    show_soil();
    // Redrawing the charts of a long sweep takes a while: while solving, redraw them at
    // most every four times as long as the last redraw took, so that the window spends
    // most of its time answering the user.
    if (!running() || !chart_clock_.isValid() || chart_clock_.elapsed() >= chart_interval_ms_) {
        QElapsedTimer cost;
        cost.start();
        charts_->set_result(model_.result());
        chart_interval_ms_ = std::max<qint64>(refresh_ms, 4 * cost.elapsed());
        chart_clock_.start();
    } else {
        dirty_charts_ = true;
    }
    show_progress();
}

void SweepWindow::show_progress() {
    if (!running() || model_.files_read() != model_.paths().size() || model_.points_total() == 0)
        return;
    // Points solved count as they are solved, before their step comes back.
    std::size_t solved = model_.points_done();
    if (control_ && control_->work)
        solved = std::max(solved, control_->work->points_solved());
    solved = std::min(solved, model_.points_total());
    progress_->setRange(0, static_cast<int>(model_.points_total()));
    progress_->setValue(static_cast<int>(solved));
    status_->setText(tr("Solving: %1 of %2 points…").arg(solved).arg(model_.points_total()));
}

void SweepWindow::end_run() {
    refresh_timer_.stop();
    dirty_ = true;
    refresh();
    progress_->setVisible(false);
    cancel_button_->setVisible(false);
    table_->resizeColumnsToContents();
    widen_flags_column();
    const auto& result = model_.result();
    QString text;
    switch (model_.state()) {
    case SweepModel::State::Finished:
        text = QString::fromStdString(
            counted(model_.points_done(), "point", "points") + " in " +
            counted(result.locations.size(), "location", "locations") + ", solved in " +
            plain_number(static_cast<double>(clock_.elapsed()) / 1000, 3) + " s.");
        if (model_.refused_count() > 0)
            text += QString::fromStdString(
                " " + counted(static_cast<std::size_t>(model_.refused_count()), "file", "files") +
                " refused.");
        break;
    case SweepModel::State::Cancelled:
        text = tr("Cancelled: %1 of %2 points solved.")
                   .arg(model_.points_done())
                   .arg(model_.points_total());
        break;
    case SweepModel::State::Failed:
        text = tr("Not solved: see the messages below.");
        break;
    default:
        text = tr("Open a sweep: File, Open Sweep…, or drop VNA files here.");
        break;
    }
    status_->setText(text);
    emit run_ended();
}

void SweepWindow::show_messages() {
    const auto& messages = model_.messages();
    if (messages.size() < messages_shown_) {
        messages_->clear();
        messages_shown_ = 0;
    }
    for (; messages_shown_ < messages.size(); ++messages_shown_) {
        const SweepMessage& message = messages[messages_shown_];
        QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
        if (message.kind == SweepMessage::Kind::Error)
            icon = QStyle::SP_MessageBoxCritical;
        else if (message.kind == SweepMessage::Kind::Warning)
            icon = QStyle::SP_MessageBoxWarning;
        auto* item = new QListWidgetItem(style()->standardIcon(icon),
                                         QString::fromStdString(message.text), messages_);
        item->setToolTip(item->text());
    }
}

} // namespace ardenca::qt
