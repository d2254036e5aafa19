#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

// Every test runs as a process of its own. It keeps its identity backups in a folder of its own below
// the one the build names for all tests, so that a backup one test leaves unrestored (a failed or killed
// update) is never offered to another, which would then wait on the window's question. A test program
// started by hand, without the build's folder, keeps them in the temporary folder, never in the user's.
namespace {

const bool kOwnBackupFolder = [] {
    QByteArray shared = qgetenv("RQFWUP_BACKUP_DIR");
    if (shared.isEmpty()) shared = QDir::tempPath().toUtf8() + "/rqfwup-test-backups";
    return qputenv("RQFWUP_BACKUP_DIR", shared + "/" +
                                            QByteArray::number(QCoreApplication::applicationPid()) + "-" +
                                            QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
}();

}  // namespace
