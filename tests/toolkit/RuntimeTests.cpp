// The places where the runtime's semantics differ from Qt's own.
#include <QCloseEvent>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "tests/support/Fakes.h"
#include "toolkit/Form.h"
#include "toolkit/MessageBoxPresenter.h"
#include "toolkit/ResumeNext.h"

using namespace toolkit;
using testing_support::flushDeletions;
using testing_support::RecordingPresenter;
using testing_support::waitUntil;

namespace {

// A window with one check box, one timer and handlers the test supplies.
class TestForm : public Form {
public:
    using Form::Form;
    CheckBox* check = nullptr;
    Timer* timer = nullptr;
    std::function<void(TestForm&)> onLoad = [](TestForm&) {};
    std::function<void(TestForm&)> onClick = [](TestForm&) {};
    std::function<void(TestForm&)> onTick = [](TestForm&) {};
    std::function<void(TestForm&)> onResize = [](TestForm&) {};
    int loads = 0;

protected:
    FormStyle style() const override { return {QStringLiteral("Test"), QSize(3000, 1500), QIcon(), {}}; }
    void createControls(QWidget& window) override {
        check = new CheckBox(&window);
        check->Move(0, 0, 1500, 340);
        timer = new Timer(&window);
        bind(check, &CheckBox::Click, [this] { onClick(*this); });
        bindTimer(timer, [this] { onTick(*this); });
    }
    void releaseControls() override {
        check = nullptr;
        timer = nullptr;
    }
    void Form_Load() override {
        ++loads;
        onLoad(*this);
    }
    void Form_Resize() override { onResize(*this); }
};

struct Runtime : ::testing::Test {
    RecordingPresenter presenter;
    Application app{presenter};
    ~Runtime() override { flushDeletions(); }
};

TEST_F(Runtime, TimerWithIntervalZeroNeverTicks) {
    TestForm form(app);
    int ticks = 0;
    form.onTick = [&](TestForm&) { ++ticks; };
    form.Show();
    ASSERT_TRUE(form.timer->Enabled());
    EXPECT_FALSE(form.timer->isTicking());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 150) QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 0);

    // Giving it an interval starts the ticks; disabling stops them.
    form.timer->setInterval(10);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 3; }));
    form.timer->setEnabled(false);
    const int seen = ticks;
    clock.restart();
    while (clock.elapsed() < 60) QCoreApplication::processEvents();
    EXPECT_EQ(ticks, seen);
}

TEST_F(Runtime, TicksNeverNestInsideARunningHandler) {
    TestForm form(app);
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    form.onTick = [&](TestForm&) {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        // A handler that spins the event loop (as a message box does).
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 40) QCoreApplication::processEvents();
        --depth;
    };
    form.Show();
    form.timer->setInterval(5);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(deepest, 1);
}

TEST_F(Runtime, ValueChangeRaisesClickSynchronouslyAndNests) {
    TestForm form(app);
    std::vector<int> seen;
    form.onClick = [&](TestForm& f) {
        seen.push_back(f.check->Value());
        // As the Adapter Info command does: reset the box from its own click.
        f.check->setValue(0);
    };
    form.Show();
    form.check->setValue(1);
    // The outer click saw 1 and reset it, which raised one nested click
    // seeing 0; setting 0 again inside it raised nothing more.
    EXPECT_EQ(seen, (std::vector<int>{1, 0}));
    EXPECT_EQ(form.check->Value(), 0);

    seen.clear();
    form.check->setValue(0);
    EXPECT_TRUE(seen.empty()) << "setting the value it has raises nothing";
}

TEST_F(Runtime, UserClickTogglesValueAndRaisesClick) {
    TestForm form(app);
    int clicks = 0;
    form.onClick = [&](TestForm&) { ++clicks; };
    form.Show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(form.check, &press);
    QCoreApplication::sendEvent(form.check, &release);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form.check->Value(), 1);

    // A disabled box ignores the mouse.
    form.check->setEnabled(false);
    QCoreApplication::sendEvent(form.check, &press);
    QCoreApplication::sendEvent(form.check, &release);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Runtime, UnloadFromAControlsOwnClickDoesNotDeleteItUnderfoot) {
    TestForm form(app);
    QPointer<QWidget> oldWindow;
    bool ranToEnd = false;
    form.onClick = [&](TestForm& f) {
        CheckBox* self = f.check;
        f.Unload();
        // The control whose event is on the stack is still alive here.
        self->setCaption(QStringLiteral("still here"));
        f.Load();
        f.Show();
        ranToEnd = true;
    };
    form.Show();
    oldWindow = form.window();
    form.check->setValue(1);
    EXPECT_TRUE(ranToEnd);
    EXPECT_FALSE(app.hasEnded()) << "unload then load in one handler keeps the application";
    EXPECT_EQ(form.loads, 2);
    ASSERT_NE(form.window(), oldWindow.data());
    EXPECT_EQ(form.check->Value(), 0) << "the new window starts from its layout";
    flushDeletions();
    EXPECT_TRUE(oldWindow.isNull()) << "the old window goes once control is back in the loop";
}

TEST_F(Runtime, UnloadedWindowsTimerFallsSilent) {
    TestForm form(app);
    TestForm other(app);
    int ticks = 0;
    form.onTick = [&](TestForm&) { ++ticks; };
    form.Show();
    other.Show();
    form.timer->setInterval(5);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 1; }));
    form.Unload();
    const int seen = ticks;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 50) QCoreApplication::processEvents();
    EXPECT_EQ(ticks, seen);
}

TEST_F(Runtime, ApplicationEndsWhenTheLastLoadedWindowCloses) {
    TestForm first(app);
    TestForm second(app);
    app.start(first);
    app.dispatch([&] { second.Show(); });
    EXPECT_EQ(app.loadedCount(), 2);

    first.window()->close();  // the user closes the main window
    EXPECT_FALSE(app.hasEnded()) << "another window is still loaded";
    EXPECT_FALSE(first.isLoaded());

    second.window()->close();
    EXPECT_TRUE(app.hasEnded());
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(presenter.shown.empty());
}

TEST_F(Runtime, UnabsorbedErrorIsShownWithNumberAndDescriptionThenEnds) {
    TestForm form(app);
    bool afterRaise = false;
    form.onClick = [&](TestForm&) {
        throw Error(static_cast<std::int32_t>(0x8004B710u), "GetAdaptersInfo", "not supported here");
        afterRaise = true;
    };
    app.start(form);
    form.check->setValue(1);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].number(), -2147174640);
    EXPECT_EQ(presenter.shown[0].description(), "not supported here");
    EXPECT_FALSE(afterRaise);
    EXPECT_TRUE(app.hasEnded());
    EXPECT_NE(app.exitCode(), 0);
    EXPECT_FALSE(form.window()->isVisible()) << "nothing stays on screen after the end";

    // Nothing is dispatched once the application has ended.
    int later = 0;
    app.dispatch([&] { ++later; });
    EXPECT_EQ(later, 0);
}

TEST_F(Runtime, ErrorInANestedClickEndsTheApplicationOnceAndStopsTheOuterHandler) {
    TestForm form(app);
    int outerAfterNested = 0;
    form.onClick = [&](TestForm& f) {
        if (f.check->Value() == 0) throw Error(9, toolkit::kProgramSource, "Subscript out of range");
        toolkit::ResumeNext next;
        next([&] { f.check->setValue(0); });  // raises the nested click, which fails
        ++outerAfterNested;
    };
    app.start(form);
    form.check->setValue(1);
    EXPECT_EQ(presenter.shown.size(), 1u);
    EXPECT_TRUE(app.hasEnded());
    EXPECT_EQ(outerAfterNested, 0) << "resume-next does not absorb the end of the application";
}

TEST_F(Runtime, StandardExceptionsReachTheUserAsNumberedErrors) {
    TestForm form(app);
    form.onClick = [](TestForm&) { (void)std::vector<int>().at(3); };
    app.start(form);
    form.check->setValue(1);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].number(), errors::SubscriptOutOfRange);
}

TEST_F(Runtime, ErrorInFormLoadLeavesTheFormUnloadedAndReachesTheCaller) {
    TestForm form(app);
    form.onLoad = [](TestForm&) { throw Error(5, toolkit::kProgramSource, "Invalid procedure call or argument"); };
    EXPECT_THROW(form.Show(), Error);
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(app.loadedCount(), 0);
}

TEST_F(Runtime, ResumeNextAbandonsOnlyTheFailingStep) {
    std::vector<int> ran;
    ResumeNext next;
    next([&] { ran.push_back(1); });
    next([&] {
        throw Error(9, "x", "y");
        ran.push_back(2);
    });
    next([&] { (void)std::string().at(1); });
    next([&] { ran.push_back(4); });
    EXPECT_EQ(ran, (std::vector<int>{1, 4}));
    EXPECT_EQ(next.skipped(), 2);
}

TEST_F(Runtime, PositionsInTwipsReadBackAsSet) {
    TestForm form(app);
    form.Show();
    EXPECT_FLOAT_EQ(form.ScaleWidth(), 3000);
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 1500);
    form.setLeft(3091.5f);
    form.setTop(2420.0f);
    EXPECT_FLOAT_EQ(form.Left(), 3091.5f);
    EXPECT_FLOAT_EQ(form.Top(), 2420.0f);
    EXPECT_EQ(form.window()->frameGeometry().x(), 206);  // 3091.5 / 15 rounded
    // Once the window is moved elsewhere, the position reads from the screen.
    form.window()->move(100, 50);
    EXPECT_FLOAT_EQ(form.Left(), 1500);
    EXPECT_FLOAT_EQ(form.Top(), 750);
}

TEST_F(Runtime, ResizeIsRaisedWhenFirstDisplayedAndNotWhileMinimised) {
    TestForm form(app);
    int resizes = 0;
    form.onResize = [&](TestForm&) { ++resizes; };
    form.Show();
    EXPECT_GE(resizes, 1);
    EXPECT_EQ(form.WindowState(), 0);
}

TEST(UnhandledErrorText, ShowsNumberAndDescription) {
    EXPECT_EQ(describeUnhandled(Error(9, "x", "Subscript out of range")),
              QStringLiteral("Run-time error '9':\n\nSubscript out of range"));
    EXPECT_EQ(describeUnhandled(Error(static_cast<std::int32_t>(0x8004B710u), "GetAdaptersInfo",
                                      "GetAdaptersInfo is not supported by this OS")),
              QStringLiteral("Run-time error '-2147174640 (8004B710)':\n\n"
                             "GetAdaptersInfo is not supported by this OS"));
}

}  // namespace
