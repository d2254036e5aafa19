#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <atomic>

#include "core/io/ForwardingPort.h"
#include "platform/SteadyClock.h"
#include "platform/WizardThread.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

// A SimPort that tells on which thread it was made and destroyed.
class ThreadNotingPort final : public ForwardingPort {
  public:
    ThreadNotingPort(sim::SimDevice& device, std::atomic<QThread*>& madeOn, std::atomic<QThread*>& endedOn)
        : ForwardingPort(simPort_), simPort_(device), endedOn_(endedOn) {
        madeOn = QThread::currentThread();
    }
    ~ThreadNotingPort() override { endedOn_ = QThread::currentThread(); }

  private:
    sim::SimPort simPort_;
    std::atomic<QThread*>& endedOn_;
};

// The close box and the buttons rely on it: busy from the post until the call has ended. The call, the
// wizard and its port live on the wizard's own thread, from the port's making to its end.
TEST(WizardThreadTest, IsBusyUntilThePostedCallHasFinished) {
    SteadyClock clock;
    const auto device = sim::makeRqSystem(clock, {});
    test::RecordingView view;
    std::atomic<QThread*> portMadeOn = nullptr;
    std::atomic<QThread*> portEndedOn = nullptr;
    auto thread = std::make_unique<WizardThread>(
        [&] { return std::make_unique<ThreadNotingPort>(*device, portMadeOn, portEndedOn); }, clock, view);
    QSignalSpy finished(thread.get(), &WizardThread::callFinished);
    std::atomic<bool> release = false;
    std::atomic<QThread*> calledOn = nullptr;
    thread->post([&](Wizard&) {
        calledOn = QThread::currentThread();
        while (!release) QThread::msleep(1);
    });
    EXPECT_TRUE(thread->busy());
    QTest::qWait(20);
    EXPECT_TRUE(thread->busy());
    EXPECT_EQ(finished.count(), 0);
    release = true;
    QTRY_VERIFY_WITH_TIMEOUT(!thread->busy(), 5000);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_NE(calledOn.load(), QThread::currentThread());
    EXPECT_EQ(portMadeOn.load(), calledOn.load());
    thread.reset();
    EXPECT_EQ(portEndedOn.load(), calledOn.load());
}

}  // namespace
}  // namespace rq
