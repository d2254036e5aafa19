#include "platform/LocaleTime.h"

#include <QDateTime>
#include <QLocale>

namespace rq {

std::string localeTraceTime(std::chrono::system_clock::time_point time) {
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(millis.count());
    const QLocale locale;  // the system's, unless the program chose another
    return (locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
            locale.toString(local.time(), QLocale::ShortFormat))
        .toStdString();
}

}  // namespace rq
