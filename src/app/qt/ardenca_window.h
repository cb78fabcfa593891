// The main window: a view of the window model Ardenca. Every control comes from the
// layout tables; field texts, the option and the caption follow the model through its
// observer, and the user's edits and clicks go back to the model. The window holds no
// rule of its own beyond start-up and showing what the model does.
#pragma once

#include "app/ardenca.h"
#include "app/commands.h"
#include "qt_file_dialog.h"

#include <QEventLoopLocker>
#include <QFile>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>
#include <string_view>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

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

    // Opens path once the main window shows, exactly as File, Open would with that
    // file chosen.
    void open_at_start(const QString& path);

    // What File, Close does; the program's own quits the event loop at once.
    void set_close_action(std::function<void()> action) { close_action_ = std::move(action); }

  signals:
    // A command button's command has run; completed is false when it stopped on a fault.
    void command_finished(ardenca::Command command, bool completed);

  public slots:
    void Timer1_Timer();
    void open_Click();
    void save_Click();
    void close_Click();
    void about_Click();
    void run(ardenca::Command command);

  private:
    void Form_Load();
    void build_menu();
    void build_controls();
    void centre_on_screen();
    void show_fault(const QString& message);
    void warn(QPointer<QMessageBox>& box, const char* name, const QString& message);

    void field_changed(Field field) override;
    void option_changed() override;
    void caption_changed() override;

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

    std::array<QLineEdit*, field_count> edits_{};
    std::array<QLabel*, field_count> labels_{};
    std::array<QPushButton*, 5> buttons_{};
    std::array<QRadioButton*, 2> options_{};
    std::array<QWidget*, 7> containers_{};
};

} // namespace ardenca::qt
