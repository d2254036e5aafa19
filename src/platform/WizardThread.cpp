#include "platform/WizardThread.h"

namespace rq {

// Everything that lives on the wizard thread.
class WizardThread::Worker final : public QObject {
  public:
    Worker(PortFactory makePort, Clock& clock, WizardView& view)
        : makePort_(std::move(makePort)), clock_(clock), view_(view) {}

    void setUp() {
        port_ = makePort_();
        wizard_ = std::make_unique<Wizard>(*port_, clock_, view_);
    }
    void run(const Call& call) { call(*wizard_); }
    void tearDown() {
        wizard_.reset();
        port_.reset();
    }

  private:
    PortFactory makePort_;
    Clock& clock_;
    WizardView& view_;
    std::unique_ptr<Port> port_;
    std::unique_ptr<Wizard> wizard_;
};

WizardThread::WizardThread(PortFactory makePort, Clock& clock, WizardView& view, QObject* parent)
    : QObject(parent), worker_(new Worker(std::move(makePort), clock, view)) {
    thread_.setObjectName(QStringLiteral("wizard"));
    worker_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { worker->setUp(); }, Qt::QueuedConnection);
}

WizardThread::~WizardThread() {
    // Queued behind every call already posted, so the port and the wizard end on their own thread.
    QMetaObject::invokeMethod(
        worker_,
        [worker = worker_] {
            worker->tearDown();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    thread_.wait();
    delete worker_;
}

void WizardThread::post(Call call) {
    ++pending_;
    QMetaObject::invokeMethod(
        worker_,
        [this, worker = worker_, call = std::move(call)] {
            worker->run(call);
            QMetaObject::invokeMethod(this, &WizardThread::finishOne, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void WizardThread::finishOne() {
    --pending_;
    emit callFinished();
}

}  // namespace rq
