#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <string>
#include <string_view>
#include <vector>

namespace rq::gui {

class frmMain;
enum class SceneMove : int;  // one thing a user does on the way to a scene

// What a picture of the program shows: the window at one of the eight steps, or one of its dialogs.
struct SceneInfo {
    std::string_view name;
    std::string_view help;
};
const std::vector<SceneInfo>& sceneCatalogue();
bool isScene(std::string_view name);
std::string sceneHelp();

// How long a scene may take: the walk to reach it (a whole update on the simulated line takes a few
// seconds), and the wizard to end its step once the picture is taken or the walk has failed.
struct SceneBounds {
    int reachMillis = 60'000;
    int finishMillis = 30'000;
};

// Walks the window to a scene as a user would, with its buttons and the front panel of the simulated
// RQ system, saves a picture of the window the scene shows, closes the dialog it opened and waits for
// the wizard. Every wait has a deadline, so it always finishes.
class ScenePlayer final : public QObject {
    Q_OBJECT

  public:
    ScenePlayer(frmMain& window, std::string_view scene, QString path, SceneBounds bounds = {});

    void start();
    // The caption of the window pictured; empty until the picture is taken.
    const QString& pictured() const { return pictured_; }

  signals:
    // failure is empty when the picture was saved.
    void finished(const QString& failure);

  private:
    enum class Phase { Walking, Aiming, Settling, Finishing };

    void tick();
    void walk();
    bool perform(SceneMove move);  // false when it failed
    bool click(const char* name);
    bool trigger(const char* name);  // a menu entry of the window
    void aim();
    void takePicture(QWidget* subject);
    void finishUp();
    void fail(const QString& reason);
    void finish();
    bool idle() const;

    frmMain& window_;
    std::size_t scene_;
    QString path_;
    std::size_t nextMove_ = 0;
    Phase phase_ = Phase::Walking;
    QString failure_;
    QString pictured_;
    SceneBounds bounds_;
    QTimer ticker_;
    QElapsedTimer age_;
    QElapsedTimer finishing_;
};

}  // namespace rq::gui
