#include "core/wizard/Backups.h"

#include "core/text/Text.h"

namespace rq {
namespace {

std::string now() {
    return utcTimeText(std::chrono::system_clock::now());
}

}  // namespace

void saveIdentityBackup(StepContext& context) {
    WizardState& state = context.state;
    state.backupPath.clear();
    if (context.backups == nullptr) return;
    SavedIdentity identity = identityOfStore(state.params);
    identity.time = now();
    identity.port = "COM" + std::to_string(state.commSettings.ComPort);
    identity.device = context.port.deviceName(state.commSettings.ComPort);
    std::string error;
    if (const auto path = context.backups->save(identity, error)) {
        state.backupPath = *path;
        context.view.backupNoted({BackupNote::Event::Saved, *path, {}});
        return;
    }
    context.view.setStatus(2, "Backup not saved");
    context.view.backupNoted({BackupNote::Event::NotSaved, context.backups->directory(), error});
}

void markBackupRestored(StepContext& context) {
    const std::string& path = context.state.backupPath;
    if (context.backups == nullptr || path.empty()) return;
    std::string error;
    if (context.backups->markRestored(path, now(), error)) {
        context.view.backupNoted({BackupNote::Event::Restored, path, {}});
        return;
    }
    context.view.setStatus(2, "Backup not marked");
    context.view.backupNoted({BackupNote::Event::NotMarked, path, error});
}

void dropUnneededBackup(StepContext& context) {
    WizardState& state = context.state;
    if (context.backups == nullptr || state.backupPath.empty() || state.programmingStarted) return;
    context.backups->discard(state.backupPath);
    state.backupPath.clear();
}

ErrorMessage backupOffer(const SavedIdentity& identity, const TraceTimeFormat& timeFormat) {
    const auto time = parseUtcTime(identity.time);
    const std::string model = "　製品型番：" + printableBytes(identity.model);
    const std::string serial = "　シリアルナンバー：" + printableBytes(identity.serial);
    const std::string read = "　取得日時：" + (time ? timeFormat(*time) : identity.time);
    const std::string port = "　通信ポート：" + identity.port;
    return {"パラメーターの復元",
            joinLines({"パラメーターの更新が完了していないRQシステムの記録があります。", "", model, serial,
                       read, port, "", "　記録されているパラメーターでパラメーターの更新を行いますか？",
                       "　「はい」をクリックするとパラメーター更新準備の画面へ進みます。"})};
}

}  // namespace rq
