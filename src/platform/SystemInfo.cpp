#include "platform/SystemInfo.h"

#include <QString>
#include <QSysInfo>

namespace rq {

std::string systemDescription() {
    return (QSysInfo::prettyProductName() + QStringLiteral("; ") + QSysInfo::kernelType() + QLatin1Char(' ') +
            QSysInfo::kernelVersion() + QStringLiteral("; ") + QSysInfo::currentCpuArchitecture())
        .toStdString();
}

}  // namespace rq
