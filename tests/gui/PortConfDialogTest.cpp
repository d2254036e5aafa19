#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "gui/frmPortConf.h"

namespace rq::test {
namespace {

TEST(PortConfDialog, ExplainsUnderThePortListTheDevicesThatDidNotOpen) {
    gui::frmPortConf dialog;
    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("cmbComPort"));
    auto* hint = dialog.findChild<QLabel*>(QStringLiteral("lblPortHint"));
    ASSERT_TRUE(combo && hint);
    PortConfModel model;
    model.ports = {{1, "/dev/ttyUSB1"}};
    model.unopened = {"/dev/ttyUSB0: Permission denied", "/dev/ttyS4: busy"};
    dialog.load(model);
    dialog.showCentred();
    EXPECT_EQ(hint->text(), QStringLiteral("/dev/ttyUSB0: Permission denied\n/dev/ttyS4: busy"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_GT(hint->geometry().top(), combo->geometry().bottom());

    model.unopened.clear();
    dialog.load(model);
    EXPECT_FALSE(hint->isVisible());
    dialog.close();
}

}  // namespace
}  // namespace rq::test
