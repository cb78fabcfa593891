// The field of an answer ("Cond", "Diel C"): an ordinary editable field in a dark amber
// frame. Its colours stay the palette's, so that other marks on it still show.
#pragma once

#include <QLineEdit>

namespace ardenca::qt {

class AnswerEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit AnswerEdit(QWidget* parent);

    static QColor frame_colour();

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ardenca::qt
