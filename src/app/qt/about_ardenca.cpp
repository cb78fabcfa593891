#include "about_ardenca.h"

#include "twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace ardenca::qt {

namespace {
constexpr int client_width = 4680;
constexpr int client_height = 3090;
constexpr Rect label1_rect{0, 240, 4695, 2775};
} // namespace

About_Ardenca::About_Ardenca() : Label1(new QLabel(this)) {
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

    Form_Load();
}

QString About_Ardenca::about_text() {
    const char* const lines[] = {
        "Ardenca",
        "Version 2.0 Beta",
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
