#include "gui/frmDebug.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/GuiText.h"

namespace rq::gui {

frmDebug::frmDebug(QWidget* parent) : QWidget(parent, Qt::Window), txtDebugText_(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("frmDebug"));
    setWindowTitle(QStringLiteral("Communication monitoring window"));

    txtDebugText_->setObjectName(QStringLiteral("txtDebugText"));
    txtDebugText_->setReadOnly(true);
    txtDebugText_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDebugText_->setFont(fixedPitchFont());
    const QFontMetrics metrics(txtDebugText_->font());
    txtDebugText_->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * 110,
                                  metrics.lineSpacing() * 20);

    auto* cmdClear = new QPushButton(QStringLiteral("Clear"), this);
    cmdClear->setObjectName(QStringLiteral("cmdClear"));
    auto* cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClear, &QPushButton::clicked, this, &frmDebug::cmdClearClicked);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClear);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtDebugText_);
    layout->addLayout(buttons);
}

void frmDebug::appendEntry(const std::string& entry) {
    box_.append(entry);
    txtDebugText_->setPlainText(displayText(box_.text()));
}

void frmDebug::cmdClearClicked() {
    box_.clear();
    txtDebugText_->clear();
}

}  // namespace rq::gui
