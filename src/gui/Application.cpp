#include "gui/Application.h"

#include <QDockWidget>

#include "core/io/ForwardingPort.h"
#include "gui/SimPanel.h"
#include "platform/LocaleTime.h"
#include "platform/QtPort.h"

namespace rq::gui {
namespace {

constexpr int kSimulatedPort = 1;

}  // namespace

Application::Application(const GuiOptions& options) {
    if (options.simulate) {
        device_ = sim::makeRqSystem(clock_, options.simulation);
        device_->setFwSwitch(false);
        device_->setPower(true);
        simPort_ = std::make_unique<sim::SimPort>(*device_, kSimulatedPort);
    }
    window_ = std::make_unique<frmMain>(portFactory(), clock_);
    if (device_) {
        const QString title = QStringLiteral("Simulated RQ system");
        auto* dock = new QDockWidget(title, window_.get());
        // The title bar would otherwise cut the title to the panel's narrow width.
        dock->setMinimumWidth(dock->fontMetrics().horizontalAdvance(title) +
                              2 * dock->fontMetrics().height());
        dock->setObjectName(QStringLiteral("dockSimulatedDevice"));
        dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
        dock->setWidget(new SimPanel(*device_, *simPort_, dock));
        window_->addDockWidget(Qt::RightDockWidgetArea, dock);
    }
    window_->wizard().post([](Wizard& wizard) {
        wizard.setTraceTimeFormat(localeTraceTime);
        wizard.start();
    });
    if (options.trace) window_->showTraceWindow();
    window_->setVerifyIdentity(options.verifyIdentity);
    if (!options.firmwarePath.empty())
        window_->selectFirmwareFile(QString::fromStdString(options.firmwarePath));
}

Application::~Application() = default;

WizardThread::PortFactory Application::portFactory() {
    if (!device_) return [] { return std::make_unique<QtPort>(); };
    return [port = simPort_.get()] { return std::make_unique<ForwardingPort>(*port); };
}

}  // namespace rq::gui
