#pragma once

#include <QWidget>

#include "sim/SimDevice.h"
#include "sim/SimPort.h"

class QPushButton;
class QRadioButton;
class QTimer;

namespace rq::gui {

// The pilot LED: a lamp in the colour the device shows.
class PilotLed final : public QWidget {
    Q_OBJECT

  public:
    explicit PilotLed(QWidget* parent = nullptr);
    void setLed(sim::Led led);
    sim::Led led() const { return led_; }
    QSize sizeHint() const override { return {28, 28}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    sim::Led led_ = sim::Led::Off;
};

// The front panel of the simulated RQ system: the power switch, the "FW" switch and the pilot LED, and
// beside them the USB cable to the computer. The device and the cable are safe to work from this
// thread while the wizard's thread talks over the line.
class SimPanel final : public QWidget {
    Q_OBJECT

  public:
    SimPanel(sim::SimDevice& device, sim::SimPort& port, QWidget* parent = nullptr);

  private:
    // The device can change by itself (it may lose power), so the panel follows it.
    void refresh();

    sim::SimDevice& device_;
    sim::SimPort& port_;
    QPushButton* power_;
    QPushButton* cable_;
    QRadioButton* fwWrite_;
    QRadioButton* fwNormal_;
    PilotLed* led_;
    QTimer* poll_;
};

}  // namespace rq::gui
