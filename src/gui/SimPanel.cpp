#include "gui/SimPanel.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace rq::gui {
namespace {

// Often enough to show each half of the LED's blinking.
constexpr int kPollMillis = 50;

QColor lampColour(sim::Led led) {
    switch (led) {
        case sim::Led::Green:
            return QColor(0x2e, 0xcc, 0x40);
        case sim::Led::Red:
            return QColor(0xe0, 0x20, 0x1b);
        case sim::Led::Off:
            break;
    }
    return QColor(0x55, 0x55, 0x55);
}

}  // namespace

PilotLed::PilotLed(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("simPilotLed"));
    setFixedSize(sizeHint());
}

void PilotLed::setLed(sim::Led led) {
    if (led == led_) return;
    led_ = led;
    update();
}

void PilotLed::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(lampColour(led_));
    painter.drawEllipse(rect().adjusted(3, 3, -3, -3));
}

SimPanel::SimPanel(sim::SimDevice& device, sim::SimPort& port, QWidget* parent)
    : QWidget(parent),
      device_(device),
      port_(port),
      power_(new QPushButton(this)),
      cable_(new QPushButton(this)),
      fwWrite_(new QRadioButton(QStringLiteral("W"), this)),
      fwNormal_(new QRadioButton(QStringLiteral("-"), this)),
      led_(new PilotLed(this)),
      poll_(new QTimer(this)) {
    setObjectName(QStringLiteral("SimPanel"));

    auto* title = new QLabel(QStringLiteral("<b>RQ SYSTEM</b>"), this);
    auto* ledRow = new QHBoxLayout;
    ledRow->addWidget(led_);
    ledRow->addWidget(new QLabel(QStringLiteral("PILOT"), this));
    ledRow->addStretch();

    fwWrite_->setObjectName(QStringLiteral("simFwWrite"));
    fwNormal_->setObjectName(QStringLiteral("simFwNormal"));
    auto* fw = new QGroupBox(QStringLiteral("FW"), this);
    auto* fwLayout = new QHBoxLayout(fw);
    fwLayout->addWidget(fwWrite_);
    fwLayout->addWidget(fwNormal_);
    auto* fwGroup = new QButtonGroup(this);
    fwGroup->addButton(fwWrite_);
    fwGroup->addButton(fwNormal_);

    power_->setObjectName(QStringLiteral("simPower"));
    power_->setCheckable(true);
    power_->setMinimumHeight(36);
    cable_->setObjectName(QStringLiteral("simCable"));
    cable_->setCheckable(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(ledRow);
    layout->addWidget(fw);
    layout->addWidget(power_);
    layout->addStretch();
    layout->addWidget(cable_);

    connect(power_, &QPushButton::clicked, this, [this](bool on) {
        device_.setPower(on);
        refresh();
    });
    connect(cable_, &QPushButton::clicked, this, [this](bool plugged) {
        if (plugged) {
            port_.plug();
        } else {
            port_.unplug();
        }
        refresh();
    });
    connect(fwWrite_, &QRadioButton::toggled, this, [this](bool write) { device_.setFwSwitch(write); });
    connect(poll_, &QTimer::timeout, this, &SimPanel::refresh);
    poll_->start(kPollMillis);
    refresh();
}

void SimPanel::refresh() {
    const bool powered = device_.powered();
    power_->setChecked(powered);
    power_->setText(powered ? QStringLiteral("POWER  ON") : QStringLiteral("POWER  OFF"));
    const QSignalBlocker quiet(fwWrite_);
    if (device_.fwSwitch()) {
        fwWrite_->setChecked(true);
    } else {
        fwNormal_->setChecked(true);
    }
    led_->setLed(device_.led());
    const bool plugged = port_.plugged();
    cable_->setChecked(plugged);
    cable_->setText(plugged ? QStringLiteral("USB CABLE  IN") : QStringLiteral("USB CABLE  OUT"));
}

}  // namespace rq::gui
