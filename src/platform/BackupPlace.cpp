#include "platform/BackupPlace.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

namespace rq {
namespace {

constexpr const char* kDirectoryVariable = "RQFWUP_BACKUP_DIR";

}  // namespace

std::string backupDirectory(bool simulated) {
    // The generic folder and a name of our own: AppLocalDataLocation would take each program's own name.
    QString base = qEnvironmentVariable(kDirectoryVariable);
    if (base.isEmpty())
        base =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/rqfwup");
    if (simulated) base += QStringLiteral("/simulated");
    return QDir::toNativeSeparators(QDir::cleanPath(base)).toStdString();
}

bool SaveFileWriter::writeWhole(const std::string& path, const std::string& contents, std::string& error) {
    QSaveFile file(QString::fromStdString(path));
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(contents.data(), static_cast<qint64>(contents.size())) ==
                             static_cast<qint64>(contents.size()) &&
                         file.commit();
    if (!written) error = "cannot write " + path + ": " + file.errorString().toStdString();
    return written;
}

}  // namespace rq
