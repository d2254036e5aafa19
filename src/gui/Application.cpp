#include "gui/Application.h"

#include <QDockWidget>

#include "core/io/ForwardingPort.h"
#include "gui/SimPanel.h"
#include "platform/HardwarePort.h"
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
    window_ = std::make_unique<frmMain>(portFactory(options.port), clock_);
    if (!options.logPath.empty()) logFailed_ = !window_->logRunTo(QString::fromStdString(options.logPath));
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
    if (!options.port.empty()) {
        window_->wizard().post([number = portNumber_](Wizard& wizard) {
            wizard.state().commSettings.ComPort = static_cast<std::uint8_t>(*number);
        });
    }
    // A picture is taken of a walk of its own: nothing is kept, and no backup is offered.
    if (options.screenshotPath.empty()) {
        const std::string folder =
            options.backupFolder.empty() ? backupDirectory(options.simulate) : options.backupFolder;
        backups_ = std::make_unique<BackupStore>(folder, writer_);
    }
    window_->wizard().post([backups = backups_.get()](Wizard& wizard) {
        wizard.setTraceTimeFormat(localeTraceTime);
        wizard.setBackupStore(backups);
        wizard.start();
        wizard.offerSavedBackup();
    });
    if (options.trace) window_->showTraceWindow();
    window_->setVerifyIdentity(options.verifyIdentity);
    if (!options.firmwarePath.empty())
        window_->selectFirmwareFile(QString::fromStdString(options.firmwarePath));
}

Application::~Application() = default;

WizardThread::PortFactory Application::portFactory(const std::string& portName) {
    if (device_) return [port = simPort_.get()] { return std::make_unique<ForwardingPort>(*port); };
    if (portName.empty()) return [] { return std::make_unique<QtPort>(); };
    return [portName, number = portNumber_]() -> std::unique_ptr<Port> {
        HardwarePort hardware = makeHardwarePort(portName);
        *number = hardware.number;
        return std::move(hardware.port);
    };
}

}  // namespace rq::gui
