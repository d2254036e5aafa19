#include "gui/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "core/settings/PortConf.h"
#include "gui/GuiText.h"
#include "gui/Help.h"
#include "gui/frmDebug.h"
#include "gui/frmForceUpdate.h"
#include "gui/frmPortConf.h"
#include "platform/SystemInfo.h"

namespace rq::gui {
namespace {

constexpr Control kAllControls[] = {
    Control::frmMain,        Control::lblProcess01, Control::lblProcess02, Control::lblProcess03,
    Control::lblProcess04,   Control::lblProcess05, Control::lblProcess06, Control::lblProcess07,
    Control::lblProcess08,   Control::lblFWFile,    Control::lblFWOld,     Control::lblFWNew,
    Control::txtInfo,        Control::txtProcess,   Control::cmdFWFileSel, Control::cmdCommSetting,
    Control::cmdForceUpdate, Control::cmdCancel,    Control::cmdNext,
};

constexpr const char* kStepCaptions[] = {"１．開始",
                                         "２．更新前パラメーター取得",
                                         "３．バージョン確認",
                                         "４．ファームウェア更新準備",
                                         "５．ファームウェア更新",
                                         "６．パラメーター更新準備",
                                         "７．パラメーター更新",
                                         "８．終了"};

// The instruction texts run to 15 lines of at most 32 full-width characters.
constexpr int kInfoLines = 15;
constexpr int kInfoColumns = 33;
constexpr int kProcessLines = 4;

QString qtName(Control control) {
    const std::string_view name = controlName(control);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* valueLabel(const char* name, QWidget* parent) {
    auto* label = named(new QLabel(parent), name);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setFont(proportionalFont());
    label->setMinimumWidth(110);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPlainTextEdit* textBox(Control control, int lines, QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(qtName(control));
    box->setReadOnly(true);
    box->setFont(fixedPitchFont());
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(box->font());
    const int frame = 2 * (box->frameWidth() + static_cast<int>(box->document()->documentMargin())) + 4;
    box->setMinimumHeight(metrics.lineSpacing() * lines + frame);
    box->setMinimumWidth(metrics.horizontalAdvance(QString(kInfoColumns, QChar(0x3000))) + frame);
    return box;
}

}  // namespace

frmMain::frmMain(WizardThread::PortFactory makePort, Clock& clock, QWidget* parent)
    : QMainWindow(parent),
      record_(clock, [this](const std::string& line) { runLog_.append(line); }),
      shownAndRecorded_(this, &record_) {
    record_.programInfo("rqfwup", systemDescription());
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("RQ SYSTEM  Firmware update tool"));
    setFont(proportionalFont());

    auto* central = new QWidget(this);
    txtInfo_ = textBox(Control::txtInfo, kInfoLines, central);
    txtProcess_ = textBox(Control::txtProcess, kProcessLines, central);
    prgProcess_ = named(new QProgressBar(central), "prgProcess");
    prgProcess_->setRange(0, 1);
    prgProcess_->setValue(0);

    auto* right = new QVBoxLayout;
    right->addWidget(buildFirmwareInfo());
    right->addWidget(txtInfo_, 1);
    right->addWidget(txtProcess_);
    right->addWidget(prgProcess_);

    auto* columns = new QHBoxLayout;
    columns->addWidget(buildSteps());
    columns->addLayout(right, 1);

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(columns, 1);
    layout->addLayout(buildButtons());
    setCentralWidget(central);
    buildStatusBar();

    debug_ = new frmDebug(this);
    portConf_ = new frmPortConf(this);
    buildMenu();
    collectControls();
    wizard_ = std::make_unique<WizardThread>(std::move(makePort), clock, shownAndRecorded_);
    wizard_->post([](Wizard& wizard) { wizard.setTraceRecorded(true); });
    connectButtons();
}

frmMain::~frmMain() = default;

QWidget* frmMain::buildSteps() {
    auto* fraProcess = named(new QGroupBox(QStringLiteral("処理状況")), "fraProcess");
    auto* steps = new QVBoxLayout(fraProcess);
    steps->setSpacing(10);
    for (int step = 0; step < 8; ++step) {
        auto* label = new QLabel(QString::fromUtf8(kStepCaptions[step]), fraProcess);
        label->setObjectName(qtName(stepLabel(step)));
        label->setFont(proportionalFont());
        steps->addWidget(label);
    }
    steps->addStretch();
    fraProcess->setMinimumWidth(fraProcess->sizeHint().width() + 24);
    return fraProcess;
}

QWidget* frmMain::buildFirmwareInfo() {
    auto* fraFWInfo = named(new QGroupBox(QStringLiteral("ファームウェア情報")), "fraFWInfo");
    auto* cmdFWFileSel = named(new QPushButton(QStringLiteral("選択"), fraFWInfo), "cmdFWFileSel");
    auto* file = new QHBoxLayout;
    file->addWidget(named(new QLabel(QStringLiteral("更新用ファイル："), fraFWInfo), "lblFWFileTitle"));
    file->addWidget(valueLabel("lblFWFile", fraFWInfo), 1);
    file->addWidget(cmdFWFileSel);

    auto* versions = new QHBoxLayout;
    versions->addWidget(named(new QLabel(QStringLiteral("更新前"), fraFWInfo), "lblFWOldTitle"));
    versions->addWidget(valueLabel("lblFWOld", fraFWInfo));
    versions->addSpacing(12);
    versions->addWidget(named(new QLabel(QStringLiteral("--->"), fraFWInfo), "lblFWTo"));
    versions->addSpacing(12);
    versions->addWidget(named(new QLabel(QStringLiteral("更新後"), fraFWInfo), "lblFWNewTitle"));
    versions->addWidget(valueLabel("lblFWNew", fraFWInfo));
    versions->addStretch();

    auto* layout = new QVBoxLayout(fraFWInfo);
    layout->addLayout(file);
    layout->addLayout(versions);
    return fraFWInfo;
}

QLayout* frmMain::buildButtons() {
    const auto button = [this](const char* name, const char* caption) {
        auto* made = named(new QPushButton(QString::fromUtf8(caption), this), name);
        made->setMinimumWidth(110);
        return made;
    };
    auto* row = new QHBoxLayout;
    row->addWidget(button("cmdCommSetting", "通信設定"));
    row->addWidget(button("cmdForceUpdate", "強制更新"));
    row->addStretch();
    row->addWidget(button("cmdCancel", "中止"));
    row->addWidget(button("cmdNext", "次へ ＞"));
    return row;
}

void frmMain::buildStatusBar() {
    auto* stsAppStatus = named(new QStatusBar(this), "stsAppStatus");
    stsAppStatus->setSizeGripEnabled(false);
    for (int panel = 0; panel < 2; ++panel) {
        auto* label = new QLabel(stsAppStatus);
        label->setObjectName(QStringLiteral("stsAppStatusPanel%1").arg(panel + 1));
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setMinimumWidth(180);
        statusPanels_[panel] = label;
    }
    stsAppStatus->addWidget(statusPanels_[0]);
    stsAppStatus->addWidget(statusPanels_[1], 1);
    portPanel_ = named(new QLabel(stsAppStatus), "stsAppStatusPort");
    portPanel_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    stsAppStatus->addPermanentWidget(portPanel_);
    setStatusBar(stsAppStatus);
}

void frmMain::buildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    QAction* saveLog = file->addAction(QStringLiteral("Save the support log..."));
    saveLog->setObjectName(QStringLiteral("actSaveLog"));
    saveLog->setShortcut(QKeySequence::Save);
    connect(saveLog, &QAction::triggered, this, &frmMain::saveLogAs);

    QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    QAction* trace = view->addAction(QStringLiteral("Communication monitoring window"));
    trace->setObjectName(QStringLiteral("actTraceWindow"));
    trace->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(trace, &QAction::triggered, this, &frmMain::showTraceWindow);

    QMenu* options = menuBar()->addMenu(QStringLiteral("オプション(&O)"));
    verifyIdentity_ = options->addAction(QStringLiteral("Read the identity back after writing it"));
    verifyIdentity_->setObjectName(QStringLiteral("actVerifyIdentity"));
    verifyIdentity_->setCheckable(true);
    connect(verifyIdentity_, &QAction::toggled, this, [this](bool verify) {
        wizard_->post([verify](Wizard& wizard) { wizard.setVerifyIdentity(verify); });
    });

    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    QAction* guide = help->addAction(QStringLiteral("User guide"));
    guide->setObjectName(QStringLiteral("actUserGuide"));
    guide->setShortcut(QKeySequence::HelpContents);
    connect(guide, &QAction::triggered, this, [this] {
        openUserGuide(this, QCoreApplication::applicationDirPath(), &QDesktopServices::openUrl);
    });
    QAction* about = help->addAction(QStringLiteral("About rqfwup"));
    about->setObjectName(QStringLiteral("actAbout"));
    connect(about, &QAction::triggered, this, [this] { showAbout(this); });
    QAction* aboutQt = help->addAction(QStringLiteral("About Qt"));
    aboutQt->setObjectName(QStringLiteral("actAboutQt"));
    connect(aboutQt, &QAction::triggered, this, [this] { QMessageBox::aboutQt(this); });
}

void frmMain::setVerifyIdentity(bool verify) {
    verifyIdentity_->setChecked(verify);
}

void frmMain::collectControls() {
    for (const Control control : kAllControls) {
        controls_[control] = control == Control::frmMain ? this : findChild<QWidget*>(qtName(control));
    }
}

void frmMain::connectButtons() {
    const std::pair<Control, void (Wizard::*)()> clicks[] = {
        {Control::cmdNext, &Wizard::cmdNext},
        {Control::cmdCancel, &Wizard::cmdCancel},
        {Control::cmdForceUpdate, &Wizard::cmdForceUpdate},
        {Control::cmdCommSetting, &Wizard::cmdCommSetting},
        {Control::cmdFWFileSel, &Wizard::cmdFWFileSel},
    };
    for (const auto& [control, handler] : clicks) {
        auto* button = static_cast<QPushButton*>(controls_.at(control));
        connect(button, &QPushButton::clicked, this, [this, handler = handler] { click(handler); });
    }
    connect(portConf_, &frmPortConf::setClicked, this, [this](const PortConfSelection& selection) {
        wizard_->post([selection](Wizard& wizard) { wizard.portConfSet(selection); });
    });
    connect(portConf_, &frmPortConf::cancelled, this,
            [this] { wizard_->post([](Wizard& wizard) { wizard.portConfCancel(); }); });
}

void frmMain::click(void (Wizard::*handler)()) {
    // A click that arrives while the wizard is still at work on an earlier one would act on a screen the
    // user has not seen yet.
    if (wizard_->busy()) return;
    wizard_->post([handler](Wizard& wizard) { (wizard.*handler)(); });
}

void frmMain::selectFirmwareFile(const QString& path) {
    const QFileInfo file(path);
    FileChoice choice{file.absoluteFilePath().toStdString(), file.fileName().toStdString()};
    wizard_->post([choice](Wizard& wizard) { wizard.selectFirmwareFile(choice); });
}

bool frmMain::logRunTo(const QString& path) {
    return runLog_.writeTo(path.toStdString());
}

bool frmMain::saveLog(const QString& path) {
    return runLog_.saveCopy(path.toStdString());
}

void frmMain::saveLogAs() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save the support log"),
                                                      QStringLiteral("rqfwup-log.jsonl"),
                                                      QStringLiteral("Support log (*.jsonl)"));
    if (path.isEmpty() || saveLog(path)) return;
    showMessageBox(this, "RQ_FW_UP", "Cannot write " + path.toStdString());
}

void frmMain::showTraceWindow() {
    shownAndRecorded_.showTrace(true);
    wizard_->post([](Wizard& wizard) { wizard.setTraceEnabled(true); });
    debug_->show();
    debug_->raise();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!ending_ && wizard_->busy()) {
        event->ignore();
        return;
    }
    wizard_->post([](Wizard& wizard) { wizard.closeRequest(); });
    debug_->close();
    event->accept();
}

template <typename Action>
void frmMain::later(Action action) {
    QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
}

template <typename Question>
auto frmMain::answer(Question question) {
    decltype(question()) result{};
    QMetaObject::invokeMethod(this, std::move(question), Qt::BlockingQueuedConnection, &result);
    return result;
}

void frmMain::applyText(Control control, const QString& text) {
    QWidget* widget = controls_.at(control);
    if (widget == this) {
        setWindowTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(text);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        box->setPlainText(text);
        // The newest progress line is the last one.
        if (box == txtProcess_) box->moveCursor(QTextCursor::End);
    }
}

void frmMain::setText(Control control, const std::string& text) {
    later([this, control, shown = displayText(text)] { applyText(control, shown); });
}

void frmMain::setBold(Control control, bool bold) {
    later([this, control, bold] {
        QWidget* widget = controls_.at(control);
        QFont font = widget->font();
        font.setBold(bold);
        widget->setFont(font);
    });
}

void frmMain::setEnabled(Control control, bool enabled) {
    later([this, control, enabled] { controls_.at(control)->setEnabled(enabled); });
}

void frmMain::setProgress(const Progress& progress) {
    later([this, progress] {
        prgProcess_->setRange(progress.minimum, progress.maximum);
        prgProcess_->setValue(progress.value);
    });
}

void frmMain::setStatus(int panel, const std::string& text) {
    if (panel != 1 && panel != 2) return;
    later([this, panel, shown = QString::fromStdString(text)] { statusPanels_[panel - 1]->setText(shown); });
}

void frmMain::setBusyPointer(bool busy) {
    later([this, busy] {
        if (busy) {
            setCursor(Qt::WaitCursor);
        } else {
            unsetCursor();
        }
    });
}

void frmMain::traceLine(const std::string& line) {
    later([this, line] { debug_->appendEntry(line); });
}

void frmMain::showMessage(const std::string& title, const std::string& text, const std::string& hint) {
    answer([this, &title, &text, &hint] {
        showMessageBox(this, title, text, hint);
        return true;
    });
}

std::optional<FileChoice> frmMain::chooseFirmwareFile() {
    return answer([this]() -> std::optional<FileChoice> {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("dlgFiler"));
        dialog.setNameFilter(QStringLiteral("Bin code (*.bin)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        const QFileInfo file(dialog.selectedFiles().constFirst());
        return FileChoice{file.absoluteFilePath().toStdString(), file.fileName().toStdString()};
    });
}

std::optional<ModelSerialEntry> frmMain::askModelAndSerial() {
    return answer([this] {
        frmForceUpdate dialog(this);
        dialog.exec();
        return dialog.entry();
    });
}

bool frmMain::askYesNo(const std::string& title, const std::string& text) {
    return answer([this, &title, &text] {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), displayText(text),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("boxQuestion"));
        // The question names its buttons; Qt's own captions would follow another language.
        box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
        box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
        return box.exec() == QMessageBox::Yes;
    });
}

void frmMain::showSettingsDialog(const std::optional<PortConfModel>& model) {
    later([this, model] { openSettingsDialog(model); });
}

void frmMain::openSettingsDialog(const std::optional<PortConfModel>& model) {
    if (!model) {
        portConf_->raise();
        portConf_->activateWindow();
        return;
    }
    portConf_->load(*model);
    portConf_->showCentred();
}

void frmMain::settingsChanged(const CommSettings& settings, const std::string& device) {
    later([this, shown = QString::fromStdString(portItemText({settings.ComPort, device}))] {
        portPanel_->setText(shown);
    });
}

void frmMain::endProgram() {
    later([this] {
        ending_ = true;
        close();
    });
}

}  // namespace rq::gui
