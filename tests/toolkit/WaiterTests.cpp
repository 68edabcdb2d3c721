// Waiting for a blocking call without hanging the window: the work runs on a
// worker thread (or asynchronously on the UI thread), the UI thread keeps
// serving events, and no other handler runs until the waiting one has
// returned.
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "tests/support/Fakes.h"
#include "toolkit/Error.h"
#include "toolkit/Form.h"
#include "toolkit/Waiter.h"

using namespace toolkit;
using namespace std::chrono_literals;
using testing_support::flushDeletions;
using testing_support::RecordingPresenter;

namespace {

// Work that blocks until its stop token is stopped, as a request to a
// server that never answers does. Shared with the worker, which may outlive
// a cancelled wait.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> stopped{false};

    void pass(std::stop_token stop) {
        std::stop_callback wake(stop, [this] {
            std::lock_guard lock(mutex);
            changed.notify_all();
        });
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stop.stop_requested(); });
        stopped = true;
    }
};

// A window with one check box, one timer, and a load handler of the test's.
class WaitingForm : public Form {
public:
    using Form::Form;
    CheckBox* check = nullptr;
    Timer* timer = nullptr;
    std::function<void()> onClick = [] {};
    std::function<void()> onTick = [] {};

protected:
    FormStyle style() const override { return {QStringLiteral("Waiting"), QSize(3000, 1500), QIcon(), {}}; }
    void createControls(QWidget& window) override {
        check = new CheckBox(&window);
        timer = new Timer(&window);
        bind(check, &CheckBox::Click, [this] { onClick(); });
        bindTimer(timer, [this] { onTick(); });
    }
    void releaseControls() override {
        check = nullptr;
        timer = nullptr;
    }
};

struct Waiting : ::testing::Test {
    RecordingPresenter presenter;
    Application app{presenter};
    ~Waiting() override { flushDeletions(); }
};

TEST_F(Waiting, ResultComesFromAWorkerWhileTheEventLoopKeepsRunning) {
    int served = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++served; });
    heartbeat.start(10);

    const auto caller = std::this_thread::get_id();
    std::thread::id worker;
    const int answer = waitFor(app.waiter(), [&worker](std::stop_token) {
        worker = std::this_thread::get_id();
        std::this_thread::sleep_for(200ms);
        return 42;
    });
    EXPECT_EQ(answer, 42);
    EXPECT_NE(worker, caller);
    EXPECT_GE(served, 5) << "the UI thread did not serve its events during the wait";
    EXPECT_FALSE(app.isWaiting());
}

TEST_F(Waiting, AnErrorOfTheWorkReachesTheCallerUnchanged) {
    try {
        waitFor(app.waiter(), [](std::stop_token) -> std::string {
            throw Error(35761, "Inet", "Request timed out");
        });
        ADD_FAILURE() << "nothing was raised";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 35761);
        EXPECT_EQ(error.source(), "Inet");
        EXPECT_EQ(error.description(), "Request timed out");
    }
}

TEST_F(Waiting, CancellingStopsTheWorkAtOnceAndFailsLaterWaitsUntilRearmed) {
    auto gate = std::make_shared<Gate>();
    QTimer::singleShot(50, [&] { app.waiter().cancel(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(app.waiter().wait([gate](std::stop_token stop) { gate->pass(stop); }), WaitCancelled);
    EXPECT_LT(clock.elapsed(), 1000);

    // A later wait of the same caller fails without running its work.
    bool ran = false;
    EXPECT_THROW(app.waiter().wait([&ran](std::stop_token) { ran = true; }), WaitCancelled);
    EXPECT_FALSE(ran);
    app.waiter().rearm();
    EXPECT_EQ(waitFor(app.waiter(), [](std::stop_token) { return 7; }), 7);
    // The cancelled work was told to stop, not left blocked.
    EXPECT_TRUE(testing_support::waitUntil([&] { return gate->stopped.load(); }, 1000));
}

TEST_F(Waiting, NoHandlerRunsInsideAWaitAndHeldCommandsFollowInOrder) {
    WaitingForm form(app);
    app.dispatch([&] { form.Show(); });
    std::vector<std::string> order;
    form.onClick = [&] { order.push_back("click"); };
    form.onTick = [&] { order.push_back("tick"); };
    form.timer->setInterval(10);

    app.dispatch(
        [&] {
            order.push_back("wait");
            // Two clicks and several ticks fall due during the wait.
            QTimer::singleShot(30, [&] { form.check->setValue(1); });
            QTimer::singleShot(60, [&] { form.check->setValue(0); });
            waitFor(app.waiter(), [](std::stop_token) { std::this_thread::sleep_for(150ms); });
            order.push_back("waited");
            // A value set by the handler itself still raises Click at once.
            form.check->setValue(1);
            order.push_back("handler end");
        },
        &form);
    form.timer->setEnabled(false);
    const std::vector<std::string> expected{"wait", "waited", "click", "handler end", "click", "click"};
    // Ticks are dropped, never delivered late.
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(presenter.shown.empty());
}

// A click held during a wait is dropped when its control has gone by the
// time it falls due: hidden, or unloaded with its window.
TEST_F(Waiting, AHeldClickWhoseControlWentAwayIsDropped) {
    WaitingForm form(app);
    app.dispatch([&] { form.Show(); });
    int clicks = 0;
    form.onClick = [&] { ++clicks; };
    const auto clickDuringAWaitThen = [&](const std::function<void()>& afterwards) {
        app.dispatch(
            [&] {
                QTimer::singleShot(20, [&] { form.check->setValue(form.check->Value() == 0 ? 1 : 0); });
                waitFor(app.waiter(), [](std::stop_token) { std::this_thread::sleep_for(100ms); });
                afterwards();
            },
            &form);
    };
    clickDuringAWaitThen([&] { form.check->hide(); });
    EXPECT_EQ(clicks, 0) << "a click on a hidden control was delivered";
    form.check->show();

    // As Reload does: the handler unloads its window and loads a new one.
    clickDuringAWaitThen([&] {
        form.Unload();
        form.Show();
    });
    EXPECT_EQ(clicks, 0) << "a click on the old window reached the new one";
    EXPECT_EQ(form.check->Value(), 0);
    form.check->setValue(1);
    EXPECT_EQ(clicks, 1);
    form.Unload();
}

TEST_F(Waiting, ClosingTheWindowHidesItCancelsTheWaitAndEndsAfterTheHandler) {
    WaitingForm form(app);
    app.dispatch([&] { form.Show(); });
    auto gate = std::make_shared<Gate>();
    std::vector<std::string> order;
    bool hiddenAtOnce = false;
    QTimer::singleShot(50, [&] {
        form.window()->close();  // the title bar's close button
        hiddenAtOnce = !form.window()->isVisible();
    });
    QElapsedTimer clock;
    clock.start();
    app.dispatch(
        [&] {
            try {
                app.waiter().wait([gate](std::stop_token stop) { gate->pass(stop); });
                order.push_back("answered");
            } catch (const WaitCancelled&) {
                order.push_back("cancelled");
            }
            order.push_back(form.isLoaded() ? "still loaded" : "unloaded");
        },
        &form);
    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_EQ(order, (std::vector<std::string>{"cancelled", "still loaded"}));
    EXPECT_FALSE(form.isLoaded());
    EXPECT_TRUE(app.hasEnded());
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(Waiting, ClosingAnotherWindowDuringAWaitDoesNotCancelIt) {
    WaitingForm waiting(app), other(app);
    app.dispatch([&] { waiting.Show(); });
    app.dispatch([&] { other.Show(); });
    QTimer::singleShot(30, [&] { other.window()->close(); });
    int answer = 0;
    app.dispatch([&] { answer = waitFor(app.waiter(), [](std::stop_token) {
                           std::this_thread::sleep_for(150ms);
                           return 5;
                       }); },
                 &waiting);
    EXPECT_EQ(answer, 5);
    EXPECT_FALSE(other.isLoaded()) << "the held close was not delivered";
    EXPECT_TRUE(waiting.isLoaded());
    EXPECT_FALSE(app.hasEnded());
    waiting.Unload();
}

// Work that runs on the UI thread itself (a network reply) is waited for
// under the same rules: a click during the wait is held until the handler
// has returned, and closing the window cancels a wait that would not end.
TEST_F(Waiting, WaitingForASignalHoldsCommandsAndACloseCancelsIt) {
    WaitingForm form(app);
    app.dispatch([&] { form.Show(); });
    std::vector<std::string> order;
    form.onClick = [&] { order.push_back("click"); };
    QTimer done, late;
    done.setSingleShot(true);
    app.dispatch(
        [&] {
            QTimer::singleShot(20, [&] { form.check->setValue(1); });
            done.start(80);
            app.waiter().waitUntil(&done, &QTimer::timeout);
            order.push_back("waited");
        },
        &form);
    EXPECT_EQ(order, (std::vector<std::string>{"waited", "click"}));

    QTimer::singleShot(30, [&] { form.window()->close(); });
    // Ends the wait after all should the close not cancel it.
    late.setSingleShot(true);
    late.start(2000);
    QElapsedTimer clock;
    clock.start();
    app.dispatch(
        [&] {
            try {
                app.waiter().waitUntil(&late, &QTimer::timeout);
                order.push_back("answered");
            } catch (const WaitCancelled&) {
                order.push_back("cancelled");
            }
        },
        &form);
    EXPECT_EQ(order.back(), "cancelled");
    EXPECT_FALSE(form.isLoaded());
    EXPECT_LT(clock.elapsed(), 1000);
}

}  // namespace
