#include "ardenca_window.h"

#include "about_ardenca.h"
#include "matching_option.h"
#include "setup_picture.h"
#include "solutions_window.h"
#include "twips.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <cassert>
#include <utility>

namespace ardenca::qt {

namespace {

constexpr int splash_ms = 1500;

QString qstr(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int container_slot(Container c) {
    return static_cast<int>(c);
}

int command_slot(Command command) {
    const auto& table = commands();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].id == command)
            return static_cast<int>(i);
    return 0;
}

int option_slot(MatchingOption option) {
    return option == MatchingOption::UseMatchingSection ? 1 : 0;
}

QLabel* make_label(const LabelInfo& info, QWidget* parent) {
    auto* label = new QLabel(qstr(info.caption), parent);
    if (!info.name.empty())
        label->setObjectName(qstr(info.name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(window_font(info.font_points));
    label->setAlignment(Qt::AlignTop |
                        (info.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft));
    label->setGeometry(px_rect(info.rect));
    return label;
}

} // namespace

ArdencaWindow::ArdencaWindow()
    : CD1(this, [this](const QString& message) { warn(file_box_, "file_box", message); }),
      close_action_([] { QCoreApplication::exit(0); }) {
    setObjectName("Ardenca");
    setFont(window_font(default_font_points));
    build_menu();
    build_controls();
    new SolutionsHook(*this); // Tools, Solutions... and the notice after the search

    // The window opens with exactly the design's client area below the menu bar; it
    // may be enlarged to reach the controls that stand below that area.
    resize(px(client_width_twips), px(client_height_twips) + menuBar()->sizeHint().height());
    setMinimumSize(200, 120);

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

void ArdencaWindow::build_menu() {
    struct Item {
        const char* name;
        const char* caption;
        void (ArdencaWindow::*handler)();
    };
    auto add_menu = [this](const char* name, const char* caption,
                           std::initializer_list<Item> items) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        for (const Item& item : items) {
            QAction* action = menu->addAction(item.caption);
            action->setObjectName(item.name);
            connect(action, &QAction::triggered, this, item.handler);
        }
    };
    add_menu("file", "File",
             {{"open", "Open", &ArdencaWindow::open_Click},
              {"save", "Save", &ArdencaWindow::save_Click},
              {"close", "Close", &ArdencaWindow::close_Click}});
    add_menu("help", "Help", {{"about", "About", &ArdencaWindow::about_Click}});
}

void ArdencaWindow::build_controls() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    containers_[container_slot(Container::Window)] = client;

    for (const auto& info : containers()) {
        QWidget* widget = nullptr;
        if (info.id == Container::Picture1) {
            widget = new SetupPicture(client);
        } else {
            auto* frame = new QGroupBox(qstr(info.caption), client);
            frame->setObjectName(qstr(info.name));
            widget = frame;
        }
        widget->setGeometry(px_rect(info.rect));
        containers_[container_slot(info.id)] = widget;
    }

    // Labels first, so that a field covers the one-pixel overlap with its caption.
    for (const auto& info : fields())
        labels_[field_index(info.field)] =
            make_label(info.label, container_widget(info.label.container));
    for (const auto& info : free_labels())
        make_label(info, container_widget(info.container));

    for (const auto& info : fields()) {
        const Field field = info.field;
        auto* edit = new QLineEdit(container_widget(info.container));
        edit->setObjectName(qstr(field_name(field)));
        edit->setGeometry(px_rect(info.rect));
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& text) { model_.set_text(field, text.toStdString()); });
        edits_[field_index(field)] = edit;
    }

    QWidget* frame5 = container_widget(Container::Frame5);
    for (std::size_t i = 0; i < options().size(); ++i) {
        const auto& info = options()[i];
        auto* option = new WrappingOption(qstr(info.caption), frame5);
        option->setObjectName(qstr(info.name));
        option->setGeometry(px_rect(info.rect));
        const MatchingOption value =
            i == 0 ? MatchingOption::None : MatchingOption::UseMatchingSection;
        connect(option, &QRadioButton::toggled, this, [this, value](bool on) {
            if (on && model_.option() != value)
                model_.select_option(value);
        });
        options_[i] = option;
    }

    // Each button runs the command that carries its caption.
    for (const auto& info : buttons()) {
        const CommandInfo* command = nullptr;
        for (const auto& c : commands())
            if (c.caption == info.caption)
                command = &c;
        assert(command && "every button caption names a command");
        if (!command)
            continue;
        auto* button = new QPushButton(qstr(info.caption), container_widget(info.container));
        button->setObjectName(qstr(info.name));
        button->setGeometry(px_rect(info.rect));
        const Command id = command->id;
        connect(button, &QPushButton::clicked, this, [this, id] { run(id); });
        buttons_[command_slot(id)] = button;
    }
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

void ArdencaWindow::centre_on_screen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Not clamped: a window larger than the screen starts above or left of it.
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

// Failures of the file itself are told through CD1; an Open ends with a recalculation,
// which can stop on an arithmetic fault like "Calculate from Known  Z in".
void ArdencaWindow::open_Click() {
    try {
        model_.open_Click();
    } catch (const ArithmeticFault& fault) {
        show_fault(QString::fromStdString(fault_message("Open", fault)));
    }
}

void ArdencaWindow::save_Click() {
    model_.save_Click();
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

void ArdencaWindow::run(Command command) {
    try {
        run_command(model_, command);
    } catch (const ArithmeticFault& fault) {
        show_fault(QString::fromStdString(fault_message(command, fault)));
        emit command_finished(command, false);
        return;
    }
    emit command_finished(command, true);
}

void ArdencaWindow::show_fault(const QString& message) {
    warn(fault_box_, "fault_box", message);
}

void ArdencaWindow::warn(QPointer<QMessageBox>& box, const char* name, const QString& message) {
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

} // namespace ardenca::qt
