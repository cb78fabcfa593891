// A frame whose caption sits in its top line, the line passing through the middle of
// the caption's letters. The controls inside stand at fixed positions measured from the
// frame's top, some as close as 16 pixels: a style that puts the line below the
// caption would run it through their captions.
#pragma once

#include <QGroupBox>

namespace ardenca::qt {

class CaptionedFrame : public QGroupBox {
    Q_OBJECT
  public:
    CaptionedFrame(const QString& caption, QWidget* parent);

    // The frame's top line, in the frame's own coordinates.
    int top_line_y() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ardenca::qt
