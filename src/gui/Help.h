#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QUrl;
class QWidget;

namespace rq::gui {

// Where the user guide, HTML made from docs/guide.md when the program is built, may lie, as seen from
// the program's own folder: installed, beside the programs, or in the build tree.
QStringList userGuidePlaces(const QString& programFolder);
// The first of those places that holds the guide; empty when none does.
QString findUserGuide(const QString& programFolder);

// Hands the guide to the system's browser; a message box says so when it is missing or the browser
// cannot be started.
using UrlOpener = std::function<bool(const QUrl&)>;
void openUserGuide(QWidget* parent, const QString& programFolder, const UrlOpener& open);

// The About box: the program, its version, the Qt it runs on and the licence.
void showAbout(QWidget* parent);

}  // namespace rq::gui
