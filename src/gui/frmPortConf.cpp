#include "gui/frmPortConf.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "core/io/CommSettings.h"
#include "core/settings/PortConf.h"

namespace rq::gui {
namespace {

QString qtText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <std::size_t N>
void fill(QComboBox* combo, const std::array<std::string_view, N>& items, int selected) {
    combo->clear();
    for (const std::string_view item : items) combo->addItem(qtText(item));
    combo->setCurrentIndex(selected);
}

}  // namespace

frmPortConf::frmPortConf(QWidget* parent)
    : QDialog(parent),
      cmbComPort_(new QComboBox(this)),
      cmbCommBaudrate_(new QComboBox(this)),
      cmbUpBaudrate_(new QComboBox(this)),
      cmbDataBits_(new QComboBox(this)),
      cmbParity_(new QComboBox(this)),
      cmbStopBits_(new QComboBox(this)),
      cmbFlowCtl_(new QComboBox(this)),
      lblPortHint_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmPortConf"));
    setWindowTitle(QStringLiteral("通信設定"));
    setModal(false);

    auto* fraPort = new QGroupBox(this);
    fraPort->setObjectName(QStringLiteral("fraPort"));
    auto* grid = new QGridLayout(fraPort);
    const struct {
        const char* labelName;
        const char* caption;
        QComboBox* combo;
        const char* comboName;
    } rows[] = {
        {"lblComPortTitle", "ポート番号：", cmbComPort_, "cmbComPort"},
        {"lblCommBaudrateTitle", "通信用ボーレート：", cmbCommBaudrate_, "cmbCommBaudrate"},
        {"lblUpBaudrateTitle", "更新用ボーレート：", cmbUpBaudrate_, "cmbUpBaudrate"},
        {"lblDataBitsTitle", "データ・ビット：", cmbDataBits_, "cmbDataBits"},
        {"lblParityTitle", "パリティ・チェック：", cmbParity_, "cmbParity"},
        {"lblStopBitsTitle", "ストップ・ビット：", cmbStopBits_, "cmbStopBits"},
        {"lblFlowTitle", "フロー制御：", cmbFlowCtl_, "cmbFlowCtl"},
    };
    int row = 0;
    for (const auto& entry : rows) {
        auto* label = new QLabel(QString::fromUtf8(entry.caption), fraPort);
        label->setObjectName(QString::fromLatin1(entry.labelName));
        entry.combo->setObjectName(QString::fromLatin1(entry.comboName));
        entry.combo->setParent(fraPort);
        entry.combo->setMinimumWidth(240);
        grid->addWidget(label, row, 0);
        grid->addWidget(entry.combo, row, 1);
        ++row;
        // Under the port list: why the serial devices that exist but are not listed did not open.
        if (entry.combo == cmbComPort_) grid->addWidget(lblPortHint_, row++, 0, 1, 2);
    }
    lblPortHint_->setObjectName(QStringLiteral("lblPortHint"));
    lblPortHint_->setWordWrap(true);
    lblPortHint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblPortHint_->hide();

    auto* cmdSet = new QPushButton(QStringLiteral("Set"), this);
    cmdSet->setObjectName(QStringLiteral("cmdSet"));
    cmdSet->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdSet, &QPushButton::clicked, this, &frmPortConf::cmdSetClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPortConf::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSet);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraPort);
    layout->addLayout(buttons);
}

void frmPortConf::load(const PortConfModel& model) {
    cmbComPort_->clear();
    for (const FoundPort& port : model.ports)
        cmbComPort_->addItem(QString::fromStdString(portItemText(port)), port.number);
    cmbComPort_->setCurrentIndex(model.portIndex);
    QStringList unopened;
    for (const std::string& line : model.unopened) unopened << QString::fromStdString(line);
    lblPortHint_->setText(unopened.join(QLatin1Char('\n')));
    lblPortHint_->setVisible(!unopened.isEmpty());
    fill(cmbCommBaudrate_, kCommBaudrates, model.baudIndex);
    fill(cmbUpBaudrate_, kUpBaudrates, model.upBaudIndex);
    fill(cmbDataBits_, kDataBitsNames, model.dataBitsIndex);
    fill(cmbParity_, kParityNames, model.parityIndex);
    fill(cmbStopBits_, kStopBitsNames, model.stopBitsIndex);
    fill(cmbFlowCtl_, kFlowNames, model.flowIndex);
}

void frmPortConf::showCentred() {
    adjustSize();
    const QRect screenArea = (screen() ? screen() : QGuiApplication::primaryScreen())->geometry();
    move(screenArea.x() + (screenArea.width() - width()) / 2,
         screenArea.y() + (screenArea.height() - height()) / 2);
    show();
    raise();
    activateWindow();
}

PortConfSelection frmPortConf::selection() const {
    PortConfSelection chosen;
    // The item's data, not its text: the text also carries the device path.
    const QVariant port = cmbComPort_->currentData();
    chosen.portNumber = port.isValid() ? port.toInt() : -1;
    chosen.baudIndex = cmbCommBaudrate_->currentIndex();
    chosen.upBaudIndex = cmbUpBaudrate_->currentIndex();
    chosen.parityIndex = cmbParity_->currentIndex();
    chosen.dataBitsIndex = cmbDataBits_->currentIndex();
    chosen.stopBitsIndex = cmbStopBits_->currentIndex();
    chosen.flowIndex = cmbFlowCtl_->currentIndex();
    return chosen;
}

void frmPortConf::cmdSetClicked() {
    emit setClicked(selection());
    accept();
}

void frmPortConf::reject() {
    emit cancelled();
    QDialog::reject();
}

}  // namespace rq::gui
