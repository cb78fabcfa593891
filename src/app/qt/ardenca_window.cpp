#include "ardenca_window.h"

#include "about_ardenca.h"
#include "ardenca_window_parts.h"
#include "solutions_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>

#include <utility>

namespace ardenca::qt {

using namespace window_parts;

namespace {

constexpr int splash_ms = 1500;

} // namespace

ArdencaWindow::ArdencaWindow()
    : CD1(this, [this](const QString& message) { warn(file_box_, "file_box", message); }),
      close_action_([] { QCoreApplication::exit(0); }) {
    setObjectName("Ardenca");
    build_menu();
    build_controls();
    status_line_ = new QLabel(this);
    status_line_->setObjectName("status_line");
    statusBar()->addWidget(status_line_, 1);
    apply_text_scale();
    set_tab_chain();
    new SolutionsHook(*this); // Tools, Solutions... and the notice after the search
    marks_.emplace(this, model_, edits_);

    // The window opens with exactly the design's client area between the menu bar and
    // the status line, unless the screen is smaller; it may be enlarged to reach the
    // controls that stand below that area.
    fit_to_screen();
    setMinimumSize(smallest_window);

    model_.set_observer(this);
    model_.set_file_dialog(&CD1);
    caption_changed();
    for (const auto& info : fields())
        field_changed(info.field);

    Timer1.setObjectName("Timer1");
    connect(&Timer1, &QTimer::timeout, this, &ArdencaWindow::Timer1_Timer);

    Form_Load();
}

ArdencaWindow::~ArdencaWindow() {
    model_.set_observer(nullptr);
    model_.set_file_dialog(nullptr);
    delete about_.data();
}

QPushButton* ArdencaWindow::command_button(Command command) const {
    return buttons_[command_slot(command)];
}

QRadioButton* ArdencaWindow::option_button(MatchingOption option) const {
    return options_[option_slot(option)];
}

QWidget* ArdencaWindow::container_widget(Container container) const {
    return containers_[container_slot(container)];
}

QAction* ArdencaWindow::menu_action(std::string_view name) const {
    return findChild<QAction*>(qstr(name));
}

void ArdencaWindow::Form_Load() {
    // The calculation constants were set when the model was made.
    model_.select_option(MatchingOption::None);
    hide();
    splash_lock_.emplace();
    about_Click();
    CD1.set_initial_dir(QFile::encodeName(QDir::currentPath()).toStdString());
    Timer1.setSingleShot(true);
    Timer1.start(splash_ms);
    centre_on_screen();
}

void ArdencaWindow::Timer1_Timer() {
    show();
    if (about_)
        about_->close();
    Timer1.stop();
    splash_lock_.reset();
    if (!open_at_start_.isEmpty()) {
        CD1.answer_next(std::exchange(open_at_start_, QString()));
        open_Click();
    }
}

void ArdencaWindow::open_at_start(const QString& path) {
    open_at_start_ = QFileInfo(path).absoluteFilePath();
}

void ArdencaWindow::field_changed(Field field) {
    QLineEdit* edit = field_edit(field);
    const QString text = QString::fromStdString(model_.text(field));
    // A change that came from typing in this field already shows; setting it again
    // would move the cursor.
    if (edit && edit->text() != text)
        edit->setText(text);
}

void ArdencaWindow::option_changed() {
    QRadioButton* button = option_button(model_.option());
    if (button && !button->isChecked())
        button->setChecked(true);
}

void ArdencaWindow::caption_changed() {
    setWindowTitle(QString::fromStdString(model_.caption()));
}

void ArdencaWindow::command_finished() {
    marks_->command_finished();
    if (!own_command_ && status_line_)
        status_line_->setText(tr("Show: the chosen ground written to Cond and Diel C, then Calc "
                                 "From Medium."));
}

} // namespace ardenca::qt
