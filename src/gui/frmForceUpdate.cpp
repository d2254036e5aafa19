#include "gui/frmForceUpdate.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/wizard/ForceUpdate.h"
#include "gui/GuiText.h"

namespace rq::gui {
namespace {

QLabel* namedLabel(const char* name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

frmForceUpdate::frmForceUpdate(QWidget* parent)
    : QDialog(parent), cboModel_(new QComboBox(this)), txtSerial_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("frmForceUpdate"));
    setWindowTitle(QStringLiteral("Forced update config"));
    setModal(true);

    cboModel_->setObjectName(QStringLiteral("cboModel"));
    for (const std::string_view model : kForceUpdateModels) {
        cboModel_->addItem(QString::fromUtf8(model.data(), static_cast<qsizetype>(model.size())));
    }
    cboModel_->setCurrentIndex(0);
    txtSerial_->setObjectName(QStringLiteral("txtSerial"));

    auto* lblSerialInfo =
        namedLabel("lblSerialInfo",
                   QStringLiteral("更新を行う製品のシリアルナンバー（5桁の数値）を入力してください。"
                                  "シリアルナンバーは製品に貼付されている銘板シールをご覧ください。"),
                   this);
    lblSerialInfo->setWordWrap(true);

    auto* cmdSet = new QPushButton(QStringLiteral("設定"), this);
    cmdSet->setObjectName(QStringLiteral("cmdSet"));
    cmdSet->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("中止"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdSet, &QPushButton::clicked, this, &frmForceUpdate::cmdSetClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(namedLabel("lblModelTitle", QStringLiteral("製品型番："), this), 0, 0);
    grid->addWidget(cboModel_, 0, 1);
    grid->addWidget(
        namedLabel("lblModelInfo", QStringLiteral("更新を行う製品の型番を選択してください。"), this), 1, 1);
    grid->addWidget(namedLabel("lblSerialTitle", QStringLiteral("シリアルナンバー："), this), 2, 0);
    grid->addWidget(txtSerial_, 2, 1);
    grid->addWidget(lblSerialInfo, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setVerticalSpacing(8);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSet);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setMinimumWidth(460);
}

void frmForceUpdate::cmdSetClicked() {
    const std::string serial = txtSerial_->text().toStdString();
    if (const auto refusal = checkSerialEntry(serial)) {
        showMessageBox(this, refusal->title, refusal->text);
        return;
    }
    entry_ = ModelSerialEntry{cboModel_->currentText().toStdString(), serial};
    accept();
}

}  // namespace rq::gui
