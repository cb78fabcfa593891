// An option button whose caption wraps inside its fixed rectangle, as "Use Matching
// Section" does on two lines beside its indicator. The whole rectangle takes clicks.
#pragma once

#include <QRadioButton>

namespace ardenca::qt {

class WrappingOption : public QRadioButton {
    Q_OBJECT
  public:
    WrappingOption(const QString& caption, QWidget* parent);

    // Where the indicator and the wrapped caption are drawn.
    QRect indicator_rect() const;
    QRect caption_rect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

} // namespace ardenca::qt
