#include <QApplication>
#include <QTimer>
#include <iostream>

#include "gui/Application.h"
#include "sim/Faults.h"

namespace {

constexpr int kUsageStatus = 2;

// Saves an image of the window once the wizard has drawn its first screen, then ends.
void saveScreenshotWhenIdle(rq::gui::frmMain& window, const QString& path) {
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, path] {
        if (window.wizard().busy()) return;
        poll->stop();
        QTimer::singleShot(300, &window, [&window, path] {
            const bool saved = window.grab().save(path);
            if (!saved) std::cerr << "rqfwup: cannot write " << path.toStdString() << "\n";
            QApplication::exit(saved ? 0 : 1);
        });
    });
    poll->start(50);
}

}  // namespace

int main(int argc, char** argv) {
    const auto command = rq::gui::parseGuiCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (std::holds_alternative<rq::gui::ShowUsage>(command)) {
        std::cout << rq::gui::guiUsageText();
        return 0;
    }
    if (std::holds_alternative<rq::gui::ShowFaultHelp>(command)) {
        std::cout << "Faults of the simulated RQ system:\n" << rq::sim::faultHelp();
        return 0;
    }
    if (const auto* error = std::get_if<rq::gui::UsageError>(&command)) {
        std::cerr << "rqfwup: " << error->reason << "\n";
        return kUsageStatus;
    }
    const auto& options = std::get<rq::gui::GuiOptions>(command);

    QApplication app(argc, argv);
    rq::gui::Application application(options);
    if (application.logFailed()) {
        std::cerr << "rqfwup: cannot write " << options.logPath << "\n";
        return 1;
    }
    application.window().show();
    if (!options.screenshotPath.empty()) {
        saveScreenshotWhenIdle(application.window(), QString::fromStdString(options.screenshotPath));
    }
    return app.exec();
}
