#include <QApplication>
#include <iostream>

#include "core/wizard/Wizard.h"
#include "gui/Application.h"
#include "gui/ScenePlayer.h"
#include "platform/Terminal.h"
#include "sim/Faults.h"

namespace {

constexpr int kUsageStatus = 2;

}  // namespace

int main(int argc, char** argv) {
    rq::prepareConsole();
    const auto command = rq::gui::parseGuiCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (std::holds_alternative<rq::gui::ShowUsage>(command)) {
        std::cout << rq::gui::guiUsageText();
        return 0;
    }
    if (std::holds_alternative<rq::gui::ShowVersion>(command)) {
        std::cout << "rqfwup " << rq::programVersion() << "\n";
        return 0;
    }
    if (std::holds_alternative<rq::gui::ShowSceneHelp>(command)) {
        std::cout << "Scenes for --screenshot:\n" << rq::gui::sceneHelp();
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
        auto* player = new rq::gui::ScenePlayer(application.window(), options.scene,
                                                QString::fromStdString(options.screenshotPath));
        QObject::connect(player, &rq::gui::ScenePlayer::finished, [](const QString& failure) {
            if (!failure.isEmpty()) std::cerr << "rqfwup: " << failure.toStdString() << "\n";
            QApplication::exit(failure.isEmpty() ? 0 : 1);
        });
        player->start();
    }
    return app.exec();
}
