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
    return font;
}

QFont proportionalFont() {
    return fontOf({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP")}, QFont::SansSerif);
}

void showMessageBox(QWidget* parent, const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), displayText(text), QMessageBox::Ok,
                    parent);
    box.exec();
}

}  // namespace rq::gui
