#include "solutions_window.h"

#include "about_ardenca.h" // completes the main window's QPointer to it
#include "app/commands.h"
#include "app/flag_help.h"
#include "ardenca_window.h"
#include "help_window.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ardenca::qt {

namespace {

QString qstr(const std::string& text) {
    return QString::fromStdString(text);
}

QString qstr(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The guide's section a Flags cell opens, on its item.
constexpr int section_role = Qt::UserRole + 1;

// Room kept for the window system's frame and title bar, and the narrowest the window
// is worth opening at beside the main window (the table scrolls across).
constexpr QSize frame_allowance{16, 48};
constexpr int narrowest_px = 560;
// The lowest (outer) height worth opening at below the main window: a few rows.
constexpr int lowest_below_px = 240;

} // namespace

SolutionsWindow::SolutionsWindow(Ardenca& model, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), summary_(new QLabel(this)),
      table_(new QTableWidget(this)), near_note_(new QLabel(this)),
      show_(new QPushButton(tr("Show"), this)) {
    setObjectName("solutions");
    setWindowTitle(tr("Solutions - %1").arg(qstr(std::string(window_caption))));
    summary_->setObjectName("summary");
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::PlainText);

    const auto& headers = SolutionsList::headers();
    table_->setObjectName("table");
    table_->setColumnCount(static_cast<int>(headers.size()));
    QStringList labels;
    for (const auto& h : headers)
        labels << qstr(h);
    table_->setHorizontalHeaderLabels(labels);
    for (int c = 0; c < table_->columnCount(); ++c)
        table_->horizontalHeaderItem(c)->setToolTip(
            qstr(solutions_column_help(headers[static_cast<std::size_t>(c)])));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    connect(table_, &QTableWidget::currentCellChanged, this,
            [this](int row) { list_.choose(row); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, &SolutionsWindow::cell_double_clicked);

    near_note_->setObjectName("near_note");
    near_note_->setWordWrap(true);
    near_note_->setTextFormat(Qt::PlainText);
    near_note_->hide();

    show_->setObjectName("show");
    show_->setToolTip(tr("Write the chosen ground into Cond and Diel C and run Calc From Medium"));
    connect(show_, &QPushButton::clicked, this, &SolutionsWindow::show_chosen);
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName("close");
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(show_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addWidget(near_note_);
    layout->addLayout(buttons);
    resize(1120, 300);
}

void SolutionsWindow::refresh() {
    try {
        list_.solve(model_);
    } catch (const ArithmeticFault& f) {
        list_.set_result({});
        fill();
        summary_->setText(tr("The reading cannot be read: %1.").arg(qstr(f.detail())));
        return;
    }
    fill();
}

void SolutionsWindow::fill() {
    summary_->setText(qstr(list_.summary()));
    table_->clearContents();
    table_->setRowCount(list_.count() + list_.near_count());
    const QString note = qstr(list_.near_note());
    for (int i = 0; i < list_.count() + list_.near_count(); ++i) {
        // The near grounds below the grounds, greyed: neither chosen nor shown.
        const bool near = i >= list_.count();
        const auto cells = near ? list_.near_row(i - list_.count()) : list_.row(i);
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            auto* item = new QTableWidgetItem(qstr(cells[static_cast<std::size_t>(c)]));
            item->setTextAlignment(
                Qt::AlignVCenter |
                (c + 1 < table_->columnCount() ? Qt::AlignRight : Qt::AlignLeft));
            if (near) {
                item->setFlags(Qt::NoItemFlags);
                item->setToolTip(note);
            } else if (c + 1 == table_->columnCount()) {
                const calc::GroundSolution& g =
                    list_.result().solutions[static_cast<std::size_t>(i)];
                const auto help = solution_flag_help(g.flags, g.multiplicity);
                QStringList lines;
                for (const FlagHelp& h : help)
                    lines << qstr(h.meaning);
                if (!help.empty()) {
                    lines << tr("Double-click for the user guide.");
                    item->setToolTip(lines.join(QLatin1Char('\n')));
                    item->setData(section_role, qstr(help.front().section));
                }
            }
            table_->setItem(i, c, item);
        }
    }
    near_note_->setText(note);
    near_note_->setVisible(!note.isEmpty());
    table_->resizeColumnsToContents();
    if (list_.chosen())
        table_->selectRow(*list_.chosen());
    show_->setEnabled(list_.count() > 0);
}

// A double click on a flag opens the guide where it is explained; on the rest of a row
// it shows the ground.
void SolutionsWindow::cell_double_clicked(int row, int column) {
    const QTableWidgetItem* item = table_->item(row, column);
    const QString section = item ? item->data(section_role).toString() : QString();
    if (!section.isEmpty())
        show_guide(section);
    else
        show_chosen();
}

void SolutionsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SolutionsWindow::place_beside(const ArdencaWindow& main, QRect available) {
    const QWidget* bar = main.menuBar();
    const int menu_bottom = bar->mapToGlobal(QPoint(0, bar->height())).y();
    const QRect outer =
        beside_main_window(main.frameGeometry(), menu_bottom, size() + frame_allowance,
                           narrowest_px + frame_allowance.width(), available);
    resize(outer.size() - frame_allowance);
    move(outer.topLeft());
}

QRect beside_main_window(QRect main_frame, int menu_bar_bottom, QSize outer, int min_width,
                         QRect available) {
    outer = outer.boundedTo(available.size());
    const int right_room = available.right() - main_frame.right();
    const int left_room = main_frame.left() - available.left();
    const int top_beside =
        std::clamp(main_frame.top(), available.top(), available.bottom() + 1 - outer.height());
    if (right_room >= std::min(min_width, outer.width())) {
        const int width = std::min(outer.width(), right_room);
        return QRect(main_frame.right() + 1, top_beside, width, outer.height());
    }
    if (left_room >= std::min(min_width, outer.width())) {
        const int width = std::min(outer.width(), left_room);
        return QRect(main_frame.left() - width, top_beside, width, outer.height());
    }
    // Below the main window when a few rows fit there.
    const int below_room = available.bottom() - main_frame.bottom();
    if (below_room >= std::min(outer.height(), lowest_below_px)) {
        const int left =
            std::clamp(main_frame.left(), available.left(), available.right() + 1 - outer.width());
        return QRect(left, main_frame.bottom() + 1, outer.width(),
                     std::min(outer.height(), below_room));
    }
    // No room beside or below: over the main window's lower part, clear of its menu bar.
    const int top =
        std::clamp(available.bottom() + 1 - outer.height(),
                   std::min(menu_bar_bottom + 1, available.bottom()), available.bottom());
    const int height = std::min(outer.height(), available.bottom() + 1 - top);
    const int left =
        right_room >= left_room ? available.right() + 1 - outer.width() : available.left();
    return QRect(left, top, outer.width(), height);
}

void SolutionsWindow::show_chosen() {
    try {
        list_.show_chosen(model_);
    } catch (const ArithmeticFault& f) {
        if (!fault_box_) {
            fault_box_ = new QMessageBox(QMessageBox::Warning, windowTitle(), QString(),
                                         QMessageBox::Ok, this);
            fault_box_->setObjectName("fault_box");
            fault_box_->setAttribute(Qt::WA_DeleteOnClose);
        }
        fault_box_->setText(qstr(fault_message(Command::CalcMedium, f)));
        fault_box_->open();
    }
}

SolutionsHook::SolutionsHook(ArdencaWindow& window) : QObject(&window), main_(window) {
    setObjectName("solutions_hook");
    // Tools stands before Help, which stays last.
    auto* menu = new QMenu(tr("&Tools"), window.menuBar());
    menu->setObjectName("tools");
    const QMenu* help = window.menuBar()->findChild<QMenu*>("help");
    window.menuBar()->insertMenu(help ? help->menuAction() : nullptr, menu);
    QAction* action = menu->addAction(tr("Solutions..."));
    action->setObjectName("solutions");
    action->setShortcut(QKeySequence(tr("Ctrl+L")));
    connect(action, &QAction::triggered, this, &SolutionsHook::open_solutions);
    connect(&window, &ArdencaWindow::command_ran, this, [this](Command command, bool completed) {
        if (command == Command::Calculate && completed)
            after_calculate();
    });
    // An opened file is calculated as well: its reading may fit several grounds too.
    connect(&window, &ArdencaWindow::file_opened, this, &SolutionsHook::after_calculate);
}

void SolutionsHook::open_solutions() {
    if (!window_) {
        window_ = new SolutionsWindow(main_.model(), &main_);
        window_->setAttribute(Qt::WA_DeleteOnClose);
        if (const QScreen* screen = main_.screen())
            window_->place_beside(main_, screen->availableGeometry());
    }
    window_->refresh();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

// The notice does not hold up the program: it opens beside the main window and the
// user may go on working.
void SolutionsHook::after_calculate() {
    SolutionsList list;
    try {
        list.solve(main_.model());
    } catch (const ArithmeticFault&) {
        return; // the reading itself did not read; the search has said so
    }
    if (window_ && window_->isVisible())
        window_->refresh();
    const std::string text = solutions_notice(main_.model(), list.result(), list.options());
    if (text.empty()) {
        if (notice_)
            notice_->close();
        return;
    }
    if (!notice_) {
        notice_ = new QMessageBox(QMessageBox::Information, qstr(std::string(window_caption)),
                                  QString(), QMessageBox::Ok, &main_);
        notice_->setObjectName("solutions_notice");
        notice_->setAttribute(Qt::WA_DeleteOnClose);
        notice_->setWindowModality(Qt::NonModal);
        QPushButton* open = notice_->addButton(tr("Solutions..."), QMessageBox::ActionRole);
        open->setObjectName("open_solutions");
        connect(open, &QPushButton::clicked, this, &SolutionsHook::open_solutions);
    }
    notice_->setText(qstr(text));
    notice_->show();
}

} // namespace ardenca::qt
