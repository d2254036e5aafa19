#include "gui/GuiText.h"

#include <QMessageBox>

namespace rq::gui {
namespace {

constexpr int kPointSize = 10;

QFont fontOf(const QStringList& families, QFont::StyleHint hint) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSize(kPointSize);
    return font;
}

}  // namespace

QString displayText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QFont fixedPitchFont() {
    QFont font =
        fontOf({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP")}, QFont::Monospace);
    font.setFixedPitch(true);
    // Hinted glyphs are a whole number of pixels wide, and at most sizes a full-width glyph is then not
    // twice a half-width one (13 and 7 pixels at 10 points on Windows): the design widths line up.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont proportionalFont() {
    return fontOf({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP")}, QFont::SansSerif);
}

void showMessageBox(QWidget* parent, const std::string& title, const std::string& text,
                    const std::string& hint) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), displayText(text), QMessageBox::Ok,
                    parent);
    box.setInformativeText(QString::fromStdString(hint));
    box.exec();
}

}  // namespace rq::gui
