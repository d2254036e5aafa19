#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Also when the test list is read at build time, where no display is set.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Tests close windows and go on; only the test runner decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
