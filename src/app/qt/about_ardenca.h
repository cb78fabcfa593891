// The About window: the start-up splash and Help, About. A small top-level window of
// centred bold text; a click on the text, Esc, Enter or Space unloads (destroys) it.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace ardenca::qt {

class About_Ardenca : public QWidget {
    Q_OBJECT
  public:
    // Creates the window without owner and runs its load handler; show() shows it.
    About_Ardenca();

    // "\nArdenca\nVersion 2.0.0\n..." (this version) with the credits, ending in a
    // line feed.
    static QString about_text();

    QLabel* label1() const { return Label1; }
    // "Click or press Esc to close", shown when the text leaves room for it.
    QLabel* close_hint() const { return hint_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Form_Load();
    void Label1_Click();
    void place_hint();

    QLabel* Label1;
    QLabel* hint_;
};

} // namespace ardenca::qt
