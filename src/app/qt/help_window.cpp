#include "help_window.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

// The resources live in this static library: made known before the first use.
// (Q_INIT_RESOURCE must stand outside a namespace.)
static void init_resources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(ardenca);
        return true;
    }();
    (void)done;
}

namespace ardenca::qt {

namespace {

// The guide's window: Esc closes it.
class GuideBrowser : public QTextBrowser {
  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
            close();
        else
            QTextBrowser::keyPressEvent(event);
    }
};

} // namespace

QString guide_path() {
    ::init_resources();
    const QString installed =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/ardenca/guide.html");
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    return QStringLiteral(":/doc/guide.html");
}

QTextBrowser* show_guide(const QString& section) {
    static QPointer<QTextBrowser> browser;
    if (!browser) {
        browser = new GuideBrowser;
        browser->setObjectName(QStringLiteral("guide"));
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->setWindowTitle(QCoreApplication::translate("Help", "Ardenca - User Guide"));
        browser->setOpenExternalLinks(true);
        browser->resize(720, 640);
        const QString path = guide_path();
        browser->setSource(path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path)
                                                             : QUrl::fromLocalFile(path));
    }
    if (!section.isEmpty())
        browser->scrollToAnchor(section);
    browser->show();
    browser->raise();
    browser->activateWindow();
    return browser;
}

} // namespace ardenca::qt
