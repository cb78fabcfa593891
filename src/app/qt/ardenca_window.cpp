#include "ardenca_window.h"

#include "about_ardenca.h"
#include "answer_edit.h"
#include "captioned_frame.h"
#include "field_hints.h"
#include "matching_option.h"
#include "setup_picture.h"
#include "solutions_window.h"
#include "twips.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <utility>

namespace ardenca::qt {

namespace {

constexpr int splash_ms = 1500;

// View, Larger Text: the form's captions grow to the desktop's own UI font size (9
// points, 12 pixels, on most desktops), at least by a quarter, at most to twice their
// size, and the whole layout grows with them. The form cannot use that size by default:
// at the design size "Frequency Mhz" would need 90 pixels of a 73-pixel label.
double larger_text_scale() {
    const double desktop_px = QFontInfo(QApplication::font()).pixelSize();
    const double form_px = window_font(default_font_points).pixelSize();
    return std::clamp(desktop_px / form_px, 1.25, 2.0);
}

// Room kept for the window system's frame and title bar when the window is fitted to
// the screen.
constexpr QSize frame_allowance{16, 48};

// A screen too small for the design's form shrinks it at start-up, but its captions
// keep at least this many pixels of the screen itself; the scroll area shows the rest.
constexpr double smallest_form_font_px = 9;

// The smallest window: the scroll area shows the rest.
constexpr QSize smallest_window{320, 240};

// Gap between the picture and the window's right edge, and below the lowest control.
constexpr int margin_twips = 120;

// The two answers stand out: a pale amber field with dark text, in a dark amber frame
// (AnswerEdit), on any theme. The colours are the field's palette, so that the marks of a stale or
// partly read field still show on them. Computed values take the form's own
// background, the usual read-only look.
const QColor answer_background{0xff, 0xf3, 0xc4};
const QColor answer_text{0x1a, 0x1a, 0x1a};

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
    label->setAlignment(Qt::AlignTop |
                        (info.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft));
    return label;
}

// The lowest edge of any control, in twips of the client area.
int lowest_control_twips() {
    int bottom = client_height_twips;
    const auto lower = [&](Container c, const Rect& r) {
        if (c == Container::Window)
            bottom = std::max(bottom, r.top + r.height);
    };
    for (const auto& info : fields()) {
        lower(info.container, info.rect);
        lower(info.label.container, info.label.rect);
    }
    for (const auto& info : free_labels())
        lower(info.container, info.rect);
    for (const auto& info : buttons())
        lower(info.container, info.rect);
    return bottom;
}

QString tooltip(Field field) {
    const FieldHint& hint = field_hint(field);
    QString text = qstr(hint.meaning) + ", " + qstr(hint.unit);
    if (const std::string_view note = role_note(hint.role); !note.empty())
        text += "\n" + qstr(note);
    return text;
}

void mark_role(QLineEdit* edit, FieldRole role) {
    QPalette palette = edit->palette();
    if (role == FieldRole::Answer) {
        palette.setColor(QPalette::Base, answer_background);
        // Not the disabled group: a stale answer shows in the theme's disabled text.
        palette.setColor(QPalette::Active, QPalette::Text, answer_text);
        palette.setColor(QPalette::Inactive, QPalette::Text, answer_text);
        edit->setPalette(palette);
    } else if (role == FieldRole::Output) {
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        edit->setPalette(palette);
    }
}

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
        return menu;
    };
    add_menu("file", "&File",
             {{"open", "&Open", &ArdencaWindow::open_Click},
              {"save", "&Save", &ArdencaWindow::save_Click},
              {"close", "&Close", &ArdencaWindow::close_Click}});
    menu_action("open")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    menu_action("save")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    menu_action("close")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* view = add_menu("view", "&View", {});
    QAction* larger = view->addAction("Larger &Text");
    larger->setObjectName("larger_text");
    larger->setCheckable(true);
    connect(larger, &QAction::toggled, this, &ArdencaWindow::set_larger_text);

    add_menu("help", "&Help", {{"about", "&About", &ArdencaWindow::about_Click}});
}

void ArdencaWindow::build_controls() {
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("form_scroll");
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(scroll_);
    auto* client = new QWidget;
    client->setObjectName("client");
    scroll_->setWidget(client);
    client->installEventFilter(this);
    client_ = client;
    containers_[container_slot(Container::Window)] = client;

    for (const auto& info : containers()) {
        QWidget* widget = nullptr;
        if (info.id == Container::Picture1) {
            widget = new SetupPicture(client);
        } else {
            auto* frame = new CaptionedFrame(qstr(info.caption), client);
            frame->setObjectName(qstr(info.name));
            widget = frame;
        }
        placed_.push_back({widget, Container::Window, info.rect, 0});
        containers_[container_slot(info.id)] = widget;
    }

    // Labels first, so that a field covers the one-pixel overlap with its caption.
    for (const auto& info : fields()) {
        QLabel* label = make_label(info.label, container_widget(info.label.container));
        placed_.push_back({label, info.label.container, info.label.rect, info.label.font_points});
        labels_[field_index(info.field)] = label;
    }
    for (const auto& info : free_labels())
        placed_.push_back({make_label(info, container_widget(info.container)), info.container,
                           info.rect, info.font_points});

    for (const auto& info : fields()) {
        const Field field = info.field;
        const FieldHint& hint = field_hint(field);
        QWidget* parent = container_widget(info.container);
        QLineEdit* edit =
            hint.role == FieldRole::Answer ? new AnswerEdit(parent) : new QLineEdit(parent);
        edit->setObjectName(qstr(field_name(field)));
        placed_.push_back({edit, info.container, info.rect, 0});
        edit->setToolTip(tooltip(field));
        mark_role(edit, hint.role);
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& text) { model_.set_text(field, text.toStdString()); });
        edits_[field_index(field)] = edit;
    }

    QWidget* frame5 = container_widget(Container::Frame5);
    for (std::size_t i = 0; i < options().size(); ++i) {
        const auto& info = options()[i];
        auto* option = new WrappingOption(qstr(info.caption), frame5);
        option->setObjectName(qstr(info.name));
        placed_.push_back({option, Container::Frame5, info.rect, 0});
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
        // Enter presses a button that has the focus, as Space does.
        button->setAutoDefault(true);
        placed_.push_back({button, info.container, info.rect, 0});
        const Command id = command->id;
        connect(button, &QPushButton::clicked, this, [this, id] { run(id); });
        buttons_[command_slot(id)] = button;
    }

    // "Calculate from Known  Z in" is the default button: Enter in an input field
    // presses it. Answers and computed values are left alone, so that Enter after
    // typing "Cond" does not overwrite it with a search.
    QPushButton* calculate = command_button(Command::Calculate);
    calculate->setDefault(true);
    for (const auto& info : fields())
        if (field_hint(info.field).role == FieldRole::Input)
            connect(field_edit(info.field), &QLineEdit::returnPressed, calculate,
                    &QPushButton::click);
}

// Tab visits the inputs in reading order, frame by frame down the left column, then the
// two buttons of that column. Computed fields and the controls below the design's
// client area take the focus only from a click.
void ArdencaWindow::set_tab_chain() {
    using enum Field;
    std::vector<QWidget*> chain{option_button(MatchingOption::None),
                                option_button(MatchingOption::UseMatchingSection)};
    for (Field field : {Text25, Text26, Text1, Text2, Text3, Text8, Text23, Text24})
        chain.push_back(field_edit(field));
    chain.push_back(command_button(Command::CalcLine));
    chain.push_back(command_button(Command::Calculate));

    for (const auto& info : fields())
        field_edit(info.field)->setFocusPolicy(Qt::ClickFocus);
    for (QPushButton* button : buttons_)
        button->setFocusPolicy(Qt::ClickFocus);
    for (QWidget* widget : chain)
        widget->setFocusPolicy(Qt::StrongFocus);
    for (std::size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

QSize ArdencaWindow::design_window_size() const {
    const TwipMap map(text_scale_);
    return QSize(map.px(client_width_twips), map.px(client_height_twips) +
                                                 menuBar()->sizeHint().height() +
                                                 statusBar()->sizeHint().height());
}

QSize ArdencaWindow::fitted_size(QSize design, QSize available, int scroll_bar) {
    const QSize room = available - frame_allowance;
    QSize size = design;
    // A window cut in one direction gets a scroll bar across the other; make room for
    // it where the screen allows, so that a second bar is not needed.
    if (size.width() > room.width())
        size.rheight() += scroll_bar;
    if (size.height() > room.height())
        size.rwidth() += scroll_bar;
    return size.boundedTo(room).expandedTo(smallest_window);
}

int ArdencaWindow::scroll_bar_extent() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
}

double ArdencaWindow::fitted_scale(QSize design, QSize room, double device_pixel_ratio) {
    double scale = std::min(
        {1.0, room.width() / double(design.width()), room.height() / double(design.height())});
    // In hundredths, rounded down, so that the scaled form does fit.
    scale = std::floor(scale * 100) / 100;
    // Not below a form font of smallest_form_font_px pixels on the screen itself.
    const double form_px = window_font(default_font_points).pixelSize();
    return std::clamp(scale, std::min(1.0, smallest_form_font_px / (form_px * device_pixel_ratio)),
                      1.0);
}

void ArdencaWindow::fit_to(QSize available, double device_pixel_ratio) {
    const QSize bars(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    const TwipMap design;
    base_scale_ = fitted_scale(QSize(design.px(client_width_twips), design.px(client_height_twips)),
                               available - frame_allowance - bars, device_pixel_ratio);
    set_text_scale(base_scale_ * (larger_text_ ? larger_text_scale() : 1.0));
    resize(fitted_size(design_window_size(), available, scroll_bar_extent()));
}

void ArdencaWindow::fit_to_screen() {
    const QScreen* screen = this->screen();
    if (!screen) {
        resize(design_window_size());
        return;
    }
    fit_to(screen->availableGeometry().size(), screen->devicePixelRatio());
}

void ArdencaWindow::set_larger_text(bool on) {
    larger_text_ = on;
    if (QAction* action = menu_action("larger_text"); action && action->isChecked() != on)
        action->setChecked(on);
    set_text_scale(base_scale_ * (on ? larger_text_scale() : 1.0));
    // Grow or shrink with the form, as far as the screen allows.
    const QScreen* screen = this->screen();
    if (!isMaximized() && !isFullScreen() && screen)
        resize(fitted_size(design_window_size(), screen->availableGeometry().size(),
                           scroll_bar_extent()));
    // Before the window first shows (the setting of the last run), centred afresh.
    if (!isVisible())
        centre_on_screen();
}

void ArdencaWindow::set_text_scale(double scale) {
    text_scale_ = scale;
    apply_text_scale();
}

// Fonts and the client area's least size follow the text scale; positions follow in
// place_controls.
void ArdencaWindow::apply_text_scale() {
    const TwipMap map(text_scale_);
    client_->setFont(map.font(default_font_points));
    for (const Placed& p : placed_)
        if (p.font_points > 0)
            p.widget->setFont(map.font(p.font_points));
    for (const auto& info : fields())
        if (field_hint(info.field).role == FieldRole::Answer)
            field_edit(info.field)->setFont(map.font(default_font_points, true));
    client_->setMinimumSize(map.px(client_width_twips), map.px(client_height_twips));
    place_controls();
}

// Everything stands where the tables put it, at the text scale. Once the client area
// has room beyond the design's, down to the controls below it, the picture grows with
// it, keeping its proportions; the fields on it keep their size and move with the
// drawing, and the controls below the design's area move down with the picture's foot.
void ArdencaWindow::place_controls() {
    const TwipMap map(text_scale_);
    const Rect& picture = container_info(Container::Picture1).rect;
    const int picture_w = map.px(picture.width), picture_h = map.px(picture.height);
    const int room_w = client_->width() - map.px(picture.left + margin_twips);
    const int room_h = client_->height() - map.px(picture.top) -
                       map.px(lowest_control_twips() + margin_twips - picture.top - picture.height);
    picture_scale_ =
        std::max(1.0, std::min(room_w / double(picture_w), room_h / double(picture_h)));
    const auto scaled = [this](int pixels) {
        return static_cast<int>(std::lround(pixels * picture_scale_));
    };
    const int shift_down = scaled(picture_h) - picture_h;

    for (const Placed& p : placed_) {
        QRect r = map.rect(p.rect);
        if (p.widget == container_widget(Container::Picture1))
            r.setSize(QSize(scaled(picture_w), scaled(picture_h)));
        else if (p.container == Container::Picture1)
            r.moveTopLeft(QPoint(scaled(r.left()), scaled(r.top())));
        else if (p.container == Container::Window && p.rect.top >= client_height_twips)
            r.translate(0, shift_down);
        p.widget->setGeometry(r);
    }
}

bool ArdencaWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize)
        place_controls();
    return QMainWindow::eventFilter(watched, event);
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
    const Measure measure = start_measure();
    const int failures = failures_told_;
    try {
        model_.open_Click();
        // A file that could not be read leaves the fields as they were, recalculated.
        QString what = QStringLiteral("Open");
        const QString name =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(CD1.file_name()))).fileName();
        if (failures_told_ != failures)
            what = QStringLiteral("Open failed, fields recalculated");
        else if (!CD1.cancelled() && !name.isEmpty())
            what += ' ' + name;
        report(what, measure);
    } catch (const ArithmeticFault& fault) {
        const QString message =
            QString::fromStdString(fault_message("Open", fault, model_.fault_place()));
        report("Open", measure, message);
        show_fault(message);
    }
}

void ArdencaWindow::save_Click() {
    const int failures = failures_told_;
    model_.save_Click();
    if (CD1.cancelled())
        status_line_->setText("Save cancelled.");
    else if (failures_told_ != failures)
        status_line_->setText("Save failed.");
    else
        status_line_->setText(
            "Saved " +
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(CD1.file_name()))).fileName() +
            ".");
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
    const QString what = qstr(command_info(command).caption);
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
    Measure measure{QElapsedTimer(), model_.evaluations()};
    measure.clock.start();
    return measure;
}

// "Calculate from Known  Z in: 2310 model evaluations in 4.1 ms." A command that
// stopped on a fault shows the fault's message in place of its name.
void ArdencaWindow::report(const QString& what, const Measure& measure, const QString& fault) {
    const double ms = measure.clock.nsecsElapsed() / 1e6;
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
}

} // namespace ardenca::qt
