#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include "platform/LocaleTime.h"

namespace rq {
namespace {

// The user's locale's short date and time, of the local time: 09:05:07 on 31 January 2024.
TEST(LocaleTimeTest, TraceEntriesUseTheLocalesShortDateAndTime) {
    const qint64 sent = QDateTime(QDate(2024, 1, 31), QTime(9, 5, 7)).toMSecsSinceEpoch();
    const std::chrono::system_clock::time_point at{std::chrono::milliseconds(sent)};
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(localeTraceTime(at), "2024/01/31 9:05");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(localeTraceTime(at), "31.01.24 09:05");
    QLocale::setDefault(QLocale::system());
}

}  // namespace
}  // namespace rq
