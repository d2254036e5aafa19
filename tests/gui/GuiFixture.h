#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <atomic>
#include <memory>

#include "ModalAnswerer.h"
#include "core/TempDir.h"
#include "gui/Application.h"

namespace rq::test {

// The window on the simulated RQ system, on an instant line.
inline gui::GuiOptions simulatedOptions(const std::string& backupFolder, const std::string& firmware = "") {
    gui::GuiOptions options;
    options.simulate = true;
    options.simulation.instantLine = true;
    options.backupFolder = backupFolder;
    options.firmwarePath = firmware;
    return options;
}

// The real window on the simulated RQ system, offscreen.
class GuiFixture : public testing::Test {
  protected:
    // A bound for a hung wizard, far above what a step takes, even under the sanitizers on a busy machine.
    static constexpr int kWaitMillis = 30000;

    void SetUp() override { start(simulatedOptions(backupFolder)); }
    void TearDown() override {
        EXPECT_TRUE(waitIdle());
        application.reset();
    }

    void start(const gui::GuiOptions& options) {
        application.reset();
        application = std::make_unique<gui::Application>(options);
        window().show();
        ASSERT_TRUE(waitIdle());
    }

    gui::frmMain& window() { return application->window(); }

    bool waitIdle() {
        return QTest::qWaitFor([this] { return !application || !window().wizard().busy(); }, kWaitMillis);
    }

    template <typename Widget = QWidget>
    Widget* find(const char* name, QWidget* in = nullptr) {
        QWidget* parent = in ? in : static_cast<QWidget*>(&window());
        auto* found = parent->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    std::string text(const char* name) {
        QWidget* widget = find(name);
        if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
        return {};
    }
    bool enabled(const char* name) { return find(name)->isEnabled(); }
    bool bold(const char* name) { return find(name)->font().bold(); }

    // Clicks a button and waits until the wizard has done with it.
    void click(const char* name, QWidget* in = nullptr) {
        auto* button = find<QAbstractButton>(name, in);
        ASSERT_NE(button, nullptr);
        button->click();
        ASSERT_TRUE(waitIdle()) << name;
    }

    // A value from the wizard's own state, read on the wizard's thread.
    template <typename Read>
    auto fromWizard(Read read) {
        decltype(read(std::declval<Wizard&>())) value{};
        std::atomic<bool> done = false;
        window().wizard().post([&](Wizard& wizard) {
            value = read(wizard);
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, kWaitMillis));
        EXPECT_TRUE(waitIdle()) << "a click right after this would be dropped as too early";
        return value;
    }

    TempDir dir;                                     // this test's own files
    std::string backupFolder = dir.path("backups");  // and backups
    ModalAnswerer answerer;
    std::unique_ptr<gui::Application> application;
};

}  // namespace rq::test
