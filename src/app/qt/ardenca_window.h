// The main window: a view of the window model Ardenca. Every control comes from the
// layout tables; field texts, the option and the caption follow the model through its
// observer, and the user's edits and clicks go back to the model. The window holds no
// rule of its own beyond start-up and showing what the model does.
//
// The form stands in a scroll area: a window smaller than the design's client area
// scrolls, a larger one shows the controls below it and then enlarges the drawing.
// View, Larger Text scales the whole form through the twip mapping. A status line
// tells what the last command did.
#pragma once

#include "app/ardenca.h"
#include "app/commands.h"
#include "field_marks.h"
#include "qt_file_dialog.h"

#include <QEventLoopLocker>
#include <QFile>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <QElapsedTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace ardenca::qt {

class About_Ardenca;
class SetupPicture;

class ArdencaWindow : public QMainWindow, private ArdencaObserver {
    Q_OBJECT
  public:
    // Builds the controls and runs Form_Load: the window stays hidden behind the
    // splash until Timer1 ticks.
    ArdencaWindow();
    ~ArdencaWindow() override;

    Ardenca& model() { return model_; }

    QLineEdit* field_edit(Field field) const { return edits_[field_index(field)]; }
    QLabel* field_label(Field field) const { return labels_[field_index(field)]; }
    QPushButton* command_button(Command command) const;
    QRadioButton* option_button(MatchingOption option) const;
    QWidget* container_widget(Container container) const;
    QAction* menu_action(std::string_view name) const;
    QScrollArea* scroll_area() const { return scroll_; }
    // The line under the form that tells what the last command did.
    QLabel* status_line() const { return status_line_; }

    // The form's scale: 1 at the design size, larger with View, Larger Text, smaller on
    // a screen that cannot hold the design's form.
    double text_scale() const { return text_scale_; }
    // How much the drawing is enlarged beyond its design size (1 or more).
    double picture_scale() const { return picture_scale_; }
    // The window's size for the design's client area at the current text scale.
    QSize design_window_size() const;
    // The size a window of the design size takes on a screen with the given free area:
    // the design size, made smaller where the screen (less the window's frame) is, and
    // larger by a scroll bar across a direction that was cut.
    static QSize fitted_size(QSize design, QSize available, int scroll_bar);
    // The form's scale that fits the design's client area into the room: 1 where it
    // fits, else smaller, down to where the form's text would become too small on a
    // screen of that device pixel ratio.
    static double fitted_scale(QSize design, QSize room, double device_pixel_ratio);
    // Scales the form and sizes the window for a screen with this free area and pixel
    // ratio, as at start-up.
    void fit_to(QSize available, double device_pixel_ratio);

    QTimer* timer1() { return &Timer1; }
    // The About window while it is open, else nullptr.
    About_Ardenca* about_window() const { return about_; }
    // The warning of the last command that ended in an arithmetic fault, while open.
    QMessageBox* fault_box() const { return fault_box_; }
    // The file dialog of File, Open and File, Save.
    QtFileDialog& file_dialog() { return CD1; }
    // The folder the ground data file dialogs start in.
    QString file_dialog_folder() const {
        return QFile::decodeName(QByteArray::fromStdString(CD1.initial_dir()));
    }
    // The warning of the last Open or Save that failed, while open.
    QMessageBox* file_box() const { return file_box_; }
    // The marks on stale and partly read fields, and their messages.
    const FieldMarks& field_marks() const { return *marks_; }

    // Opens path once the main window shows, exactly as File, Open would with that
    // file chosen.
    void open_at_start(const QString& path);

    // What File, Close does; the program's own quits the event loop at once.
    void set_close_action(std::function<void()> action) { close_action_ = std::move(action); }

  signals:
    // A command button's command has run; completed is false when it stopped on a fault.
    void command_ran(ardenca::Command command, bool completed);
    // File, Open read a file and calculated with it.
    void file_opened();
    // File, Save wrote the file.
    void file_saved();

  public slots:
    void Timer1_Timer();
    void open_Click();
    void save_Click();
    void close_Click();
    void about_Click();
    void guide_Click();
    void run(ardenca::Command command);
    void set_larger_text(bool on);

  private:
    void Form_Load();
    void build_menu();
    void build_controls();
    void centre_on_screen();
    void fit_to_screen();
    void set_text_scale(double scale);
    int scroll_bar_extent() const;
    void set_tab_chain();
    void apply_text_scale();
    void place_controls();
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Times a command and counts its model evaluations for the status line.
    struct Measure {
        QElapsedTimer clock;
        std::uint64_t evaluations_before;
        qint64 dialog_ns; // time spent in file dialogs so far
    };
    Measure start_measure() const;
    // Marks the window's own commands, so that one run from elsewhere (Show in the
    // Solutions window) replaces the status line that no longer describes the fields.
    struct OwnCommand {
        explicit OwnCommand(bool& flag) : flag_(flag), was_(flag) { flag = true; }
        ~OwnCommand() { flag_ = was_; }
        OwnCommand(const OwnCommand&) = delete;
        OwnCommand& operator=(const OwnCommand&) = delete;
        bool& flag_;
        bool was_;
    };
    bool own_command_ = false;
    void report(const QString& what, const Measure& measure, const QString& fault = {});

    void show_fault(const QString& message);
    void warn(QPointer<QMessageBox>& box, const char* name, const QString& message);

    void field_changed(Field field) override;
    void option_changed() override;
    void caption_changed() override;
    void command_finished() override;

    Ardenca model_;
    QTimer Timer1;
    // Held while the splash stands in for the hidden main window, so that closing the
    // splash does not end the program before the main window appears.
    std::optional<QEventLoopLocker> splash_lock_;
    QtFileDialog CD1;
    QString open_at_start_;
    QPointer<About_Ardenca> about_;
    QPointer<QMessageBox> fault_box_;
    QPointer<QMessageBox> file_box_;
    std::function<void()> close_action_;
    int failures_told_ = 0;

    QScrollArea* scroll_ = nullptr;
    QWidget* client_ = nullptr;
    QLabel* status_line_ = nullptr;
    double text_scale_ = 1.0;
    double base_scale_ = 1.0; // 1, or less on a small screen
    bool larger_text_ = false;
    double picture_scale_ = 1.0;

    // Every control with its place in the tables, so that a new scale can move it.
    struct Placed {
        QWidget* widget;
        Container container;
        Rect rect;
        double font_points; // 0: the form's font
    };
    std::vector<Placed> placed_;

    std::array<QLineEdit*, field_count> edits_{};
    std::array<QLabel*, field_count> labels_{};
    std::array<QPushButton*, 5> buttons_{};
    std::array<QRadioButton*, 2> options_{};
    std::array<QWidget*, 7> containers_{};
    std::optional<FieldMarks> marks_;
};

} // namespace ardenca::qt
