#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QSysInfo>

int main(int argc, char** argv) {
    // Also when the test list is read at build time, where no display is set.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform of Windows reads its fonts from a folder instead of asking the system.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") && QSysInfo::productType() == QStringLiteral("windows"))
        qputenv("QT_QPA_FONTDIR", QStandardPaths::writableLocation(QStandardPaths::FontsLocation).toUtf8());
    QApplication app(argc, argv);
    // Tests close windows and go on; only the test runner decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
