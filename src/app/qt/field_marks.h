// The marks the main window puts on fields after each command, from the model's
// report: result fields that a search without a ground left as they were (greyed,
// tooltip "not recalculated"), and inputs read only in part (tinted, tooltip "read as
// 14"); and the two non-blocking messages that go with them. Field texts never change.
#pragma once

#include "app/ardenca.h"

#include <QHash>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>

#include <array>

class QLineEdit;
class QMessageBox;
class QWidget;

namespace ardenca::qt {

class FieldMarks {
  public:
    // The edits belong to window; the marks follow their texts from now on.
    FieldMarks(QWidget* window, const Ardenca& model, std::array<QLineEdit*, field_count> edits);

    // After a command: marks every field and shows the messages its report calls for.
    void command_finished();

    // The messages while open, else nullptr.
    QMessageBox* no_ground_box() const { return no_ground_box_; }
    QMessageBox* partly_read_box() const { return partly_read_box_; }

  private:
    void mark(Field field);
    void tell(QPointer<QMessageBox>& box, const char* name, bool warning, const QString& text);

    QWidget* window_;
    const Ardenca& model_;
    // The connections to the edits end with the marks.
    QObject connections_;
    std::array<QLineEdit*, field_count> edits_;
    // A field's own tooltip and colours, kept while it is marked.
    struct Own {
        QString tooltip;
        QPalette palette;
        bool explicit_palette;
    };
    QHash<QLineEdit*, Own> own_;
    QPointer<QMessageBox> no_ground_box_;
    QPointer<QMessageBox> partly_read_box_;
};

} // namespace ardenca::qt
