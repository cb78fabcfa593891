// Every ground of the window's reading: the Solutions window, and what ties it to the
// main window (a menu entry, and a notice after "Calculate from Known  Z in" when the
// reading fits more than one ground or the search's answer is not the whole story).
#pragma once

#include "app/solutions_list.h"

#include <QPointer>
#include <QRect>
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

  public:
    // Stands the window beside the main window within the screen's available area.
    void place_beside(const ArdencaWindow& main, QRect available);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void fill();
    void cell_double_clicked(int row, int column);

    Ardenca& model_;
    SolutionsList list_;
    QLabel* summary_;
    QTableWidget* table_;
    QLabel* near_note_;
    QPushButton* show_;
    QPointer<QMessageBox> fault_box_;
};

// Where a window of the given outer size stands beside the main window's frame: to its
// right, else to its left, narrowed to the room there but not below min_width; else
// below it when a few rows fit there; else at the foot of the screen on the roomier side,
// its top below the main window's menu bar (menu_bar_bottom, global). Always within
// available.
QRect beside_main_window(QRect main_frame, int menu_bar_bottom, QSize outer, int min_width,
                         QRect available);

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
