#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include "core/params/CommandRecord.h"
#include "core/text/Trace.h"
#include "platform/LocaleTime.h"

namespace rq {
namespace {

class LocaleTimeTest : public testing::Test {
  protected:
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

// Each row: the user's locale, and the trace entry of a request sent at 09:05:07 on 31 January 2024.
TEST_F(LocaleTimeTest, TraceEntriesUseTheLocalesShortDateAndTime) {
    const struct {
        QLocale locale;
        const char* entry;
    } rows[] = {
        {QLocale(QLocale::Japanese, QLocale::Japan),
         "2024/01/31 9:05  Send PC->RQX::CMD[005]:FF FF FF FF FF 05 00 00 00 05\r\n"},
        {QLocale(QLocale::German, QLocale::Germany),
         "31.01.24 09:05  Send PC->RQX::CMD[005]:FF FF FF FF FF 05 00 00 00 05\r\n"},
    };
    const qint64 sent = QDateTime(QDate(2024, 1, 31), QTime(9, 5, 7)).toMSecsSinceEpoch();
    const std::chrono::system_clock::time_point at{std::chrono::milliseconds(sent)};
    CommandRecord request;
    request.Preamble.fill(0xFF);
    request.Command = 5;
    request.Checksum = 5;
    for (const auto& row : rows) {
        QLocale::setDefault(row.locale);
        EXPECT_EQ(traceEntry(localeTraceTime(at), "Send", traceLine(request, Direction::Request)), row.entry)
            << row.locale.name().toStdString();
    }
}

}  // namespace
}  // namespace rq
