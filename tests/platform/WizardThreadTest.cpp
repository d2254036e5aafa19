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

class WizardThreadTest : public testing::Test {
  protected:
    std::unique_ptr<WizardThread> makeThread() {
        return std::make_unique<WizardThread>(
            [this] { return std::make_unique<ThreadNotingPort>(*device, portMadeOn, portEndedOn); }, clock,
            view);
    }

    SteadyClock clock;
    std::unique_ptr<sim::SimDevice> device = sim::makeRqSystem(clock, {});
    test::RecordingView view;  // only the wizard thread touches it until the thread is idle
    std::atomic<QThread*> portMadeOn = nullptr;
    std::atomic<QThread*> portEndedOn = nullptr;
};

// The wizard, its view and its port live on the wizard's thread, from the port's making to its end.
TEST_F(WizardThreadTest, RunsEveryCallOnItsOwnThreadInOrder) {
    auto thread = makeThread();
    thread->post([](Wizard& wizard) { wizard.start(); });
    std::vector<std::pair<int, QThread*>> calls;  // read once the thread is idle
    for (int i = 0; i < 3; ++i)
        thread->post([&calls, i](Wizard&) { calls.emplace_back(i, QThread::currentThread()); });
    QTRY_VERIFY_WITH_TIMEOUT(!thread->busy(), 5000);
    EXPECT_EQ(view.status1, "Update start");
    QThread* const own = portMadeOn.load();
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, QThread::currentThread());
    EXPECT_EQ(calls, (std::vector<std::pair<int, QThread*>>{{0, own}, {1, own}, {2, own}}));
    thread.reset();
    EXPECT_EQ(portEndedOn.load(), own);
}

// The close box and the buttons rely on it: busy from the post until the call has ended.
TEST_F(WizardThreadTest, IsBusyUntilThePostedCallHasFinished) {
    auto thread = makeThread();
    QSignalSpy finished(thread.get(), &WizardThread::callFinished);
    std::atomic<bool> release = false;
    thread->post([&](Wizard&) {
        while (!release) QThread::msleep(1);
    });
    EXPECT_TRUE(thread->busy());
    QTest::qWait(20);
    EXPECT_TRUE(thread->busy());
    EXPECT_EQ(finished.count(), 0);
    release = true;
    QTRY_VERIFY_WITH_TIMEOUT(!thread->busy(), 5000);
    EXPECT_EQ(finished.count(), 1);
}

}  // namespace
}  // namespace rq
