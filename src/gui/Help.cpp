#include "gui/Help.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "core/wizard/Wizard.h"
#include "gui/GuiText.h"

namespace rq::gui {
namespace {

// From the program's folder. Installed: bin/ beside share/. On Windows, installed or built, the guide
// lies beside the programs. Built elsewhere: src/gui/ beside dist/, where the build makes the guide.
constexpr const char* kGuidePlaces[] = {"../share/rqfwup/guide/guide.html", "guide/guide.html",
                                        "../../dist/guide/guide.html"};

constexpr const char* kGuideTitle = "ユーザーガイド";
// No licence has been chosen for the program yet; this line names it once one is.
constexpr const char* kLicence = "ライセンス：未定";

std::string shownPath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

}  // namespace

QStringList userGuidePlaces(const QString& programFolder) {
    QStringList places;
    for (const char* place : kGuidePlaces)
        places.append(QDir::cleanPath(QDir(programFolder).absoluteFilePath(QString::fromLatin1(place))));
    return places;
}

QString findUserGuide(const QString& programFolder) {
    for (const QString& place : userGuidePlaces(programFolder)) {
        if (QFileInfo(place).isFile()) return place;
    }
    return {};
}

void openUserGuide(QWidget* parent, const QString& programFolder, const UrlOpener& open) {
    const QString guide = findUserGuide(programFolder);
    if (guide.isEmpty()) {
        std::string text = "ユーザーガイドが見つかりません。\n\n　次の場所にありませんでした。";
        for (const QString& place : userGuidePlaces(programFolder)) text += "\n　　" + shownPath(place);
        text += "\n　プログラムをインストールしなおしてください。";
        showMessageBox(parent, kGuideTitle, text);
        return;
    }
    if (!open(QUrl::fromLocalFile(guide))) {
        showMessageBox(parent, kGuideTitle,
                       "ユーザーガイドを開けません。\n\n　ブラウザーで次のファイルを開いてください。\n　　" +
                           shownPath(guide));
    }
}

void showAbout(QWidget* parent) {
    showMessageBox(parent, "About rqfwup",
                   mainWindowCaption() + "\n\n　Qt " + qVersion() + "\n　" + kLicence);
}

}  // namespace rq::gui
