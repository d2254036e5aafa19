#include "gui/ScenePlayer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>

#include "gui/frmMain.h"

namespace rq::gui {

enum class SceneMove : int {
    Next,              // cmdNext
    FwSwitchToWrite,   // power off, "FW" to "W", power on, as step 4 asks
    FwSwitchToNormal,  // power off, "FW" to "-", power on, as step 6 asks
    PowerOff,
    CommSettings,  // cmdCommSetting
    ForcedUpdate,  // cmdForceUpdate
    TypeSerial,    // into the open model and serial dialog
    TraceOn,       // the menu entry of the traffic log
    About,         // the About box of the Help menu
};

namespace {

constexpr int kTickMillis = 20;
// Long enough for the front panel's lamp to follow the device.
constexpr int kSettleMillis = 300;
constexpr const char* kSerialTyped = "12345";

enum class Subject { MainWindow, SettingsDialog, ModalWindow, TraceWindow };

struct Scene {
    SceneInfo info;
    std::vector<SceneMove> moves;
    Subject subject;
};

// The moves from the start screen to the screen of `step`, working the front panel where the screens
// ask for it.
std::vector<SceneMove> walkTo(int step) {
    std::vector<SceneMove> moves;
    for (int from = 1; from < step; ++from) {
        if (from == 4) moves.push_back(SceneMove::FwSwitchToWrite);
        if (from == 6) moves.push_back(SceneMove::FwSwitchToNormal);
        moves.push_back(SceneMove::Next);
    }
    return moves;
}

const std::vector<Scene>& scenes() {
    static const std::vector<Scene> kScenes = {
        {{"step1", "step 1, start: the first screen"}, walkTo(1), Subject::MainWindow},
        {{"step2", "step 2, parameter backup, done"}, walkTo(2), Subject::MainWindow},
        {{"step3", "step 3, version check"}, walkTo(3), Subject::MainWindow},
        {{"step4", "step 4, instructions for programming mode"}, walkTo(4), Subject::MainWindow},
        {{"step5", "step 5, firmware update, done"}, walkTo(5), Subject::MainWindow},
        {{"step6", "step 6, instructions for normal mode"}, walkTo(6), Subject::MainWindow},
        {{"step7", "step 7, parameter restore, done"}, walkTo(7), Subject::MainWindow},
        {{"step8", "step 8, end"}, walkTo(8), Subject::MainWindow},
        {{"settings", "the communication settings dialog"},
         {SceneMove::CommSettings},
         Subject::SettingsDialog},
        {{"model-serial", "the model and serial dialog of the forced update"},
         {SceneMove::ForcedUpdate, SceneMove::TypeSerial},
         Subject::ModalWindow},
        {{"message", "the message box of step 2 when the device does not answer"},
         {SceneMove::PowerOff, SceneMove::Next},
         Subject::ModalWindow},
        {{"trace", "the traffic log after step 2"},
         {SceneMove::TraceOn, SceneMove::Next},
         Subject::TraceWindow},
        {{"about", "the About box of the Help menu"}, {SceneMove::About}, Subject::ModalWindow},
    };
    return kScenes;
}

std::size_t sceneIndex(std::string_view name) {
    const auto& all = scenes();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].info.name == name) return i;
    }
    return 0;
}

// The window's own caption above the picture: a picture of a widget has no title bar.
QPixmap withTitleBar(const QPixmap& content, const QString& title) {
    const qreal ratio = content.devicePixelRatio();
    const QSize size = content.deviceIndependentSize().toSize();
    const QFontMetrics metrics(QApplication::font());
    const int bar = metrics.height() + 10;
    QPixmap framed(QSize(size.width(), size.height() + bar) * ratio);
    framed.setDevicePixelRatio(ratio);
    const QPalette palette = QApplication::palette();
    QPainter painter(&framed);
    painter.fillRect(0, 0, size.width(), bar, palette.color(QPalette::Highlight));
    painter.setPen(palette.color(QPalette::HighlightedText));
    painter.drawText(QRect(8, 0, size.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft, title);
    painter.drawPixmap(0, bar, content);
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawRect(0, 0, size.width() - 1, size.height() + bar - 1);
    return framed;
}

QString modalDescription(QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        return QStringLiteral("a message box stopped the walk: %1: %2")
            .arg(box->windowTitle(), box->text().section(QLatin1Char('\n'), 0, 0));
    return QStringLiteral("an unexpected dialog stopped the walk: %1").arg(modal->windowTitle());
}

}  // namespace

const std::vector<SceneInfo>& sceneCatalogue() {
    static const std::vector<SceneInfo> kCatalogue = [] {
        std::vector<SceneInfo> catalogue;
        for (const Scene& scene : scenes()) catalogue.push_back(scene.info);
        return catalogue;
    }();
    return kCatalogue;
}

bool isScene(std::string_view name) {
    for (const Scene& scene : scenes()) {
        if (scene.info.name == name) return true;
    }
    return false;
}

std::string sceneHelp() {
    std::string help;
    for (const SceneInfo& scene : sceneCatalogue()) {
        help.append("  ").append(scene.name);
        help.append(scene.name.size() < 14 ? 14 - scene.name.size() : 1, ' ').append(scene.help).append("\n");
    }
    return help;
}

ScenePlayer::ScenePlayer(frmMain& window, std::string_view scene, QString path, SceneBounds bounds)
    : QObject(&window), window_(window), scene_(sceneIndex(scene)), path_(std::move(path)), bounds_(bounds) {
    connect(&ticker_, &QTimer::timeout, this, &ScenePlayer::tick);
}

void ScenePlayer::start() {
    age_.start();
    ticker_.start(kTickMillis);
}

bool ScenePlayer::idle() const {
    return !window_.wizard().busy() && QApplication::activeModalWidget() == nullptr;
}

void ScenePlayer::tick() {
    if (age_.elapsed() > bounds_.reachMillis && (phase_ == Phase::Walking || phase_ == Phase::Aiming)) {
        fail(QStringLiteral("the window did not reach the scene in time"));
    }
    switch (phase_) {
        case Phase::Walking:
            walk();
            break;
        case Phase::Aiming:
            aim();
            break;
        case Phase::Settling:
            break;
        case Phase::Finishing:
            finishUp();
            break;
    }
}

void ScenePlayer::walk() {
    const std::vector<SceneMove>& moves = scenes()[scene_].moves;
    if (nextMove_ == moves.size()) {
        phase_ = Phase::Aiming;
        return;
    }
    const SceneMove move = moves[nextMove_];
    QWidget* modal = QApplication::activeModalWidget();
    if (move == SceneMove::TypeSerial) {
        auto* serial = modal ? modal->findChild<QLineEdit*>(QStringLiteral("txtSerial")) : nullptr;
        if (serial == nullptr) return;  // the dialog is not up yet
        serial->setText(QString::fromLatin1(kSerialTyped));
        ++nextMove_;
        return;
    }
    if (modal != nullptr) return fail(modalDescription(modal));
    if (window_.wizard().busy()) return;
    if (perform(move)) ++nextMove_;
}

bool ScenePlayer::perform(SceneMove move) {
    switch (move) {
        case SceneMove::Next:
            return click("cmdNext");
        case SceneMove::FwSwitchToWrite:
            return click("simPower") && click("simFwWrite") && click("simPower");
        case SceneMove::FwSwitchToNormal:
            return click("simPower") && click("simFwNormal") && click("simPower");
        case SceneMove::PowerOff:
            return click("simPower");
        case SceneMove::CommSettings:
            return click("cmdCommSetting");
        case SceneMove::ForcedUpdate:
            return click("cmdForceUpdate");
        case SceneMove::TraceOn:
            return trigger("actTraceWindow");
        case SceneMove::About:
            return trigger("actAbout");
        case SceneMove::TypeSerial:
            break;
    }
    return false;
}

bool ScenePlayer::click(const char* name) {
    auto* button = window_.findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (button == nullptr || !button->isEnabled()) {
        fail(QStringLiteral("%1 is %2")
                 .arg(QString::fromLatin1(name), button ? QStringLiteral("disabled")
                                                        : QStringLiteral("missing (simulated device only)")));
        return false;
    }
    button->click();
    return true;
}

bool ScenePlayer::trigger(const char* name) {
    auto* action = window_.findChild<QAction*>(QString::fromLatin1(name));
    if (action == nullptr) {
        fail(QStringLiteral("the window has no %1").arg(QString::fromLatin1(name)));
        return false;
    }
    // Queued: a modal box it opens must not hold this tick, or the player would wait inside it.
    QTimer::singleShot(0, action, &QAction::trigger);
    return true;
}

void ScenePlayer::aim() {
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* subject = nullptr;
    switch (scenes()[scene_].subject) {
        case Subject::ModalWindow:
            subject = modal;
            break;
        case Subject::MainWindow:
            subject = &window_;
            break;
        case Subject::SettingsDialog:
            subject = window_.findChild<QDialog*>(QStringLiteral("frmPortConf"));
            break;
        case Subject::TraceWindow:
            subject = window_.findChild<QWidget*>(QStringLiteral("frmDebug"));
            break;
    }
    if (scenes()[scene_].subject != Subject::ModalWindow) {
        if (modal != nullptr) return fail(modalDescription(modal));
        if (!idle()) return;
    }
    if (subject == nullptr || !subject->isVisible()) return;
    phase_ = Phase::Settling;
    QTimer::singleShot(kSettleMillis, this,
                       [this, subject = QPointer<QWidget>(subject)] { takePicture(subject); });
}

void ScenePlayer::takePicture(QWidget* subject) {
    if (subject == nullptr) return fail(QStringLiteral("the window closed before its picture"));
    pictured_ = subject->windowTitle();
    if (!withTitleBar(subject->grab(), pictured_).save(path_)) {
        failure_ = QStringLiteral("cannot write ") + path_;
    }
    finish();
}

void ScenePlayer::fail(const QString& reason) {
    failure_ = reason;
    finish();
}

void ScenePlayer::finish() {
    phase_ = Phase::Finishing;
    finishing_.start();
}

// Answers what is still open, so that the wizard ends its step, then reports. A message box that never
// got its show event (a window on a system without a display) takes no answer and holds the wizard in
// its step; the player reports that instead of waiting for good.
void ScenePlayer::finishUp() {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    if (!idle()) {
        if (finishing_.elapsed() <= bounds_.finishMillis) return;
        const QString overdue = QStringLiteral("the window did not end its step in time");
        failure_ = failure_.isEmpty() ? overdue : failure_ + QStringLiteral("; ") + overdue;
    }
    ticker_.stop();
    emit finished(failure_);
}

}  // namespace rq::gui
