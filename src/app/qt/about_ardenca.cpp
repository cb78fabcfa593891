#include "about_ardenca.h"

#include "ardenca_version.h"
#include "twips.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <string>

namespace ardenca::qt {

namespace {
constexpr int client_width = 4680;
constexpr int client_height = 3090;
constexpr Rect label1_rect{0, 240, 4695, 2775};
// The hint is a little smaller than the text and stands at the foot of the label.
constexpr double hint_points = 7.5;
} // namespace

About_Ardenca::About_Ardenca() : Label1(new QLabel(this)), hint_(new QLabel(this)) {
    setObjectName("About_Ardenca");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("About Ardenca");
    setFixedSize(px(client_width), px(client_height));

    Label1->setObjectName("Label1");
    Label1->setGeometry(px_rect(label1_rect));
    Label1->setFont(window_font(default_font_points, true));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);
    Label1->installEventFilter(this);

    // Clicks on the hint reach the text beneath it.
    hint_->setObjectName("close_hint");
    hint_->setText("Click or press Esc to close");
    hint_->setFont(window_font(hint_points));
    hint_->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    hint_->setAttribute(Qt::WA_TransparentForMouseEvents);
    hint_->setForegroundRole(QPalette::PlaceholderText);
    setFocusPolicy(Qt::StrongFocus);

    Form_Load();
    place_hint();
}

// Below the last line of the text, inside the label, if the text leaves room for it.
void About_Ardenca::place_hint() {
    const QFontMetrics text(Label1->font()), small(hint_->font());
    const int text_bottom = Label1->y() + text.lineSpacing() * int(Label1->text().count('\n') + 1);
    const int hint_h = small.height();
    const QRect room(0, Label1->geometry().bottom() + 1 - hint_h, width(), hint_h);
    hint_->setGeometry(room);
    hint_->setVisible(room.top() >= text_bottom &&
                      small.horizontalAdvance(hint_->text()) <= room.width());
}

void About_Ardenca::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Label1_Click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

QString About_Ardenca::about_text() {
    const std::string version_line = std::string("Version ") + program_version;
    const char* const lines[] = {
        "Ardenca",
        version_line.c_str(),
        "Ground Conductivity Calculation Tool",
        "               ",
        "Source Code By",
        "Ardenca developers",
        "Ground probe model and searches",
        "Qt desktop edition",
    };
    QString text;
    for (const char* line : lines)
        text += QChar('\n') + QString::fromLatin1(line);
    return text + QChar('\n');
}

void About_Ardenca::Form_Load() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size();
        move(area.x() + (area.width() - outer.width()) / 2,
             area.y() + (area.height() - outer.height()) / 2);
    }
    Label1->setText(about_text());
}

void About_Ardenca::Label1_Click() {
    close();
}

bool About_Ardenca::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label1->rect().contains(mouse->position().toPoint())) {
            Label1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace ardenca::qt
