#include <gtest/gtest.h>

#include <QCoreApplication>

// The serial port layer wants an application object, as in the headless runner; no event loop runs.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
