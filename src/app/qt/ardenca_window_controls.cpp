// The main window's menu and controls, built from the layout tables, and the order Tab
// visits them in.
#include "about_ardenca.h"
#include "answer_edit.h"
#include "ardenca_window.h"
#include "ardenca_window_parts.h"
#include "captioned_frame.h"
#include "field_hints.h"
#include "matching_option.h"
#include "setup_picture.h"
#include "twips.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>

#include <cassert>

namespace ardenca::qt {

using namespace window_parts;

namespace {

// The two answers stand out: a pale amber field with dark text, in a dark amber frame
// (AnswerEdit), on any theme. The colours are the field's palette, so that the marks of a stale or
// partly read field still show on them. Computed values take the form's own
// background, the usual read-only look.
const QColor answer_background{0xff, 0xf3, 0xc4};
const QColor answer_text{0x1a, 0x1a, 0x1a};

QLabel* make_label(const LabelInfo& info, QWidget* parent) {
    auto* label = new QLabel(qstr(info.caption), parent);
    if (!info.name.empty())
        label->setObjectName(qstr(info.name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignTop |
                        (info.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft));
    return label;
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

} // namespace

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

    add_menu("help", "&Help",
             {{"guide", "&User Guide...", &ArdencaWindow::guide_Click},
              {"about", "&About", &ArdencaWindow::about_Click}});
    menu_action("guide")->setShortcut(QKeySequence::HelpContents);
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

} // namespace ardenca::qt
