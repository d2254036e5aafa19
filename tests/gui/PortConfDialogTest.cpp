#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "gui/frmPortConf.h"

namespace rq::test {
namespace {

// Each row: what the probe found, and what the dialog then shows under the port list.
TEST(PortConfDialog, ExplainsUnderThePortListTheDevicesThatDidNotOpen) {
    const struct {
        std::vector<std::string> unopened;
        const char* hint;
    } rows[] = {
        {{"/dev/ttyUSB0: Permission denied; join \"dialout\"", "/dev/ttyS4: busy"},
         "/dev/ttyUSB0: Permission denied; join \"dialout\"\n/dev/ttyS4: busy"},
        {{}, ""},
    };
    gui::frmPortConf dialog;
    for (const auto& row : rows) {
        PortConfModel model;
        model.ports = {{1, "/dev/ttyUSB1"}, {3, "COM3"}};
        model.unopened = row.unopened;
        dialog.load(model);
        dialog.showCentred();
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("cmbComPort"));
        auto* hint = dialog.findChild<QLabel*>(QStringLiteral("lblPortHint"));
        ASSERT_NE(combo, nullptr);
        ASSERT_NE(hint, nullptr);
        EXPECT_EQ(combo->count(), 2);
        EXPECT_EQ(combo->itemText(0), QStringLiteral("COM1  (/dev/ttyUSB1)"));
        EXPECT_EQ(combo->itemText(1), QStringLiteral("COM3"));
        EXPECT_EQ(hint->text().toStdString(), row.hint);
        EXPECT_EQ(hint->isVisible(), !row.unopened.empty());
        if (hint->isVisible()) {
            EXPECT_GT(hint->geometry().top(), combo->geometry().bottom());
        }
    }
    dialog.close();
}

}  // namespace
}  // namespace rq::test
