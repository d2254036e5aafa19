#pragma once

#include <QFont>
#include <QString>
#include <string>

class QWidget;

namespace rq::gui {

// The wizard's texts break lines with CR LF; a text box wants LF alone.
QString displayText(const std::string& text);

// "ＭＳ ゴシック", or a CJK monospace font where it is missing, so that the ideographic-space
// indentation of the instruction texts lines up.
QFont fixedPitchFont();
// "ＭＳ Ｐゴシック", or a proportional CJK font where it is missing.
QFont proportionalFont();

// A message box with one OK button and no icon; returns when it is closed.
// `hint`, when not empty, goes under the text as the box's informative text.
void showMessageBox(QWidget* parent, const std::string& title, const std::string& text,
                    const std::string& hint = {});

}  // namespace rq::gui
