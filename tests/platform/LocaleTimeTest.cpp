#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include "platform/LocaleTime.h"

namespace rq {
namespace {

// The trace's time: the short date and time of the user's locale (here one whose order and digits differ
// from the ISO form), in local time. 09:05:07 on 31 January 2024:
TEST(LocaleTimeTest, IsTheLocalesShortDateAndTime) {
    const qint64 sent = QDateTime(QDate(2024, 1, 31), QTime(9, 5, 7)).toMSecsSinceEpoch();
    const std::chrono::system_clock::time_point at{std::chrono::milliseconds(sent)};
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(localeTraceTime(at), "31.01.24 09:05");
    QLocale::setDefault(QLocale::system());
}

}  // namespace
}  // namespace rq
