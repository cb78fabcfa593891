// Every ground of the window's reading: the Solutions window, and what ties it to the
// main window (a menu entry, and a notice after "Calculate from Known  Z in" when the
// reading fits more than one ground or the search's answer is not the whole story).
#pragma once

#include "app/solutions_list.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QMessageBox;
class QPushButton;
class QTableWidget;

namespace ardenca::qt {

class ArdencaWindow;

class SolutionsWindow : public QWidget {
    Q_OBJECT
  public:
    // A top-level window over the main window's model; not modal.
    explicit SolutionsWindow(Ardenca& model, QWidget* parent = nullptr);

    // Solves the reading now in the fields and lists the grounds.
    void refresh();
    SolutionsList& list() { return list_; }

    QTableWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    // The line under the table that explains the greyed near grounds; hidden without them.
    QLabel* near_note() const { return near_note_; }
    QPushButton* show_button() const { return show_; }
    // The warning of a "Show" that stopped on an arithmetic fault, while open.
    QMessageBox* fault_box() const { return fault_box_; }

  public slots:
    // Writes the chosen ground into Cond and Diel C and runs "Calc From Medium".
    void show_chosen();

  private:
    void fill();

    Ardenca& model_;
    SolutionsList list_;
    QLabel* summary_;
    QTableWidget* table_;
    QLabel* near_note_;
    QPushButton* show_;
    QPointer<QMessageBox> fault_box_;
};

// Gives the main window its Solutions... entry and the notice after "Calculate from
// Known  Z in". A child of the window.
class SolutionsHook : public QObject {
    Q_OBJECT
  public:
    explicit SolutionsHook(ArdencaWindow& window);

    // The Solutions window while it exists, else nullptr.
    SolutionsWindow* solutions_window() const { return window_; }
    // The last notice while it is open, else nullptr.
    QMessageBox* notice() const { return notice_; }

  public slots:
    void open_solutions();

  private:
    void after_calculate();

    ArdencaWindow& main_;
    QPointer<SolutionsWindow> window_;
    QPointer<QMessageBox> notice_;
};

} // namespace ardenca::qt
