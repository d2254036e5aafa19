#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

#include "core/io/Clock.h"
#include "core/io/Port.h"
#include "core/io/WizardView.h"
#include "core/wizard/Wizard.h"

namespace rq {

// The one thread the wizard runs on for the whole run. It owns the Port and the Wizard, and executes
// every Wizard call, one after another in the order they were posted. The window's thread makes it,
// posts to it and destroys it; nothing else crosses between the two.
class WizardThread final : public QObject {
    Q_OBJECT

  public:
    // Called on the wizard thread, so that the port belongs to it.
    using PortFactory = std::function<std::unique_ptr<Port>()>;
    using Call = std::function<void(Wizard&)>;

    WizardThread(PortFactory makePort, Clock& clock, WizardView& view, QObject* parent = nullptr);
    ~WizardThread() override;

    void post(Call call);
    // A posted call has not finished yet.
    bool busy() const { return pending_ > 0; }

  signals:
    void callFinished();

  private:
    class Worker;

    void finishOne();

    QThread thread_;
    Worker* worker_;  // lives on thread_
    int pending_ = 0;
};

}  // namespace rq
