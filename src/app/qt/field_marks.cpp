#include "field_marks.h"

#include "app/outcome_text.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QStringList>

#include <algorithm>

namespace ardenca::qt {

namespace {

QString qstr(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A warm tint for a field that was read in part.
const QColor partly_read_tint(255, 243, 205);

} // namespace

FieldMarks::FieldMarks(QWidget* window, const Ardenca& model,
                       std::array<QLineEdit*, field_count> edits)
    : window_(window), model_(model), edits_(edits) {
    // The model drops a mark when the field is written or typed into.
    for (int i = 0; i < field_count; ++i)
        if (QLineEdit* edit = edits_[i])
            QObject::connect(edit, &QLineEdit::textChanged, &connections_,
                             [this, field = field_at(i)] { mark(field); });
}

void FieldMarks::mark(Field field) {
    QLineEdit* edit = edits_[field_index(field)];
    if (!edit)
        return;
    const auto& reads = model_.partly_read();
    const auto read = std::find_if(reads.begin(), reads.end(),
                                   [field](const PartlyRead& r) { return r.field == field; });
    const bool stale = model_.stale(field);
    const bool partly = read != reads.end();

    QStringList notes;
    if (stale)
        notes << qstr(std::string(stale_tooltip));
    if (partly)
        notes << qstr(read_as_text(*read));
    const bool marked = !notes.isEmpty();
    const bool was_marked = own_.contains(edit);
    if (!marked && !was_marked)
        return;
    if (!was_marked)
        own_.insert(edit,
                    {edit->toolTip(), edit->palette(), edit->testAttribute(Qt::WA_SetPalette)});
    const Own own = own_.value(edit);

    if (!own.tooltip.isEmpty())
        notes.prepend(own.tooltip);
    edit->setToolTip(notes.join('\n'));
    QPalette palette = own.palette;
    if (stale)
        palette.setColor(QPalette::Text, palette.color(QPalette::Disabled, QPalette::Text));
    if (partly)
        palette.setColor(QPalette::Base, partly_read_tint);
    // Unmarked, a field gets its own colours back, inherited ones included.
    edit->setPalette(marked || own.explicit_palette ? palette : QPalette());
    if (!marked)
        own_.remove(edit);
    edit->setProperty("stale", stale);
    edit->setProperty("partly_read", partly);
}

void FieldMarks::command_finished() {
    for (int i = 0; i < field_count; ++i)
        mark(field_at(i));
    // A command that a fault stopped already has its warning.
    const std::string no_ground = no_ground_message(model_);
    if (!no_ground.empty() && model_.fault_place().step == FaultStep::None)
        tell(no_ground_box_, "no_ground_box", true, qstr(no_ground));
    if (!model_.partly_read().empty())
        tell(partly_read_box_, "partly_read_box", false,
             qstr(partly_read_notice(model_.partly_read())));
}

void FieldMarks::tell(QPointer<QMessageBox>& box, const char* name, bool warning,
                      const QString& text) {
    if (!box) {
        box = new QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information,
                              QStringLiteral("Ardenca"), text, QMessageBox::Ok, window_);
        box->setObjectName(name);
        box->setAttribute(Qt::WA_DeleteOnClose);
    }
    box->setText(text);
    // Not exec(): the message must not hold up the event loop.
    box->open();
}

} // namespace ardenca::qt
