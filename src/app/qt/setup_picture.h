// Picture1: a drawing of the measurement set-up. The impedance meter at the right feeds
// the probe, two parallel rods driven into the ground, through a line whose length is
// given in degrees; dimension marks name the rods' radius, length and spacing. The
// impedance fields Text27...Text30 stand on it as children.
#pragma once

#include <QWidget>

namespace ardenca::qt {

class SetupPicture : public QWidget {
    Q_OBJECT
  public:
    explicit SetupPicture(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ardenca::qt
