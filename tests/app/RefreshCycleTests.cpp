// The status refresh cycle of the main window with fake services: the
// ticks, the colours, the probe, the reveal, the classification and lamps.
#include <QAccessible>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "app/ConnectionState.h"
#include "app/Form1.h"
#include "tests/support/Fakes.h"
#include "toolkit/Accessibility.h"
#include "toolkit/Error.h"

using namespace app;
using testing_support::FakePlatform;
using testing_support::flushDeletions;
using testing_support::RecordingPresenter;
using testing_support::RecordingProgressBar;
using testing_support::waitUntil;

namespace {

constexpr const char* kPublicAddress = "203.0.113.7";

// The main window with its tick handler callable from a test.
class TestForm1 : public Form1 {
public:
    using Form1::Form1;
    using Form1::Timer1_Timer;
};

enum class Probe { Reachable, Unreachable, NotRun };

struct Lamp {
    int value;
    const char* caption;
    float top;
};

struct Cycle : ::testing::Test {
    RecordingPresenter presenter;
    toolkit::Application app{presenter};
    FakePlatform fakes;
    TestForm1 form{app, fakes.platform};

    Cycle() { fakes.transfer->answer = [](const std::string&) { return std::string(kPublicAddress); }; }
    ~Cycle() override {
        if (form.isLoaded()) form.Unload();
        flushDeletions();
    }

    void probeAnswers(Probe probe) {
        fakes.internet->sessionHandle = probe == Probe::NotRun ? 0 : 16;
        fakes.internet->urlHandle = probe == Probe::Reachable ? 32 : 0;
    }

    // Shows the window and runs its 20 ticks straight away, without the
    // real timer's two seconds.
    void runCycle() {
        app.dispatch([&] { form.Show(); });
        ASSERT_TRUE(form.isLoaded());
        form.Timer1->setInterval(0);
        for (int tick = 0; tick < 20; ++tick) app.dispatch([&] { form.Timer1_Timer(); });
    }

    void expectLamp(const toolkit::CheckBox* lamp, const Lamp& expected, const char* name) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(lamp->Visible());
        EXPECT_EQ(lamp->Value(), expected.value);
        EXPECT_EQ(lamp->Caption(), QString::fromLatin1(expected.caption));
        EXPECT_EQ(toolkit::toPixels(lamp->Top()), toolkit::toPixels(expected.top));
    }
};

struct Row {
    const char* name;
    Probe probe;
    const char* localAddress;
    ConnectionState state;
    const char* lan;
    const char* wan;
};

// How the usual inputs map to states, one row each.
const Row kInputTable[] = {
    {"OfflineWithAddress", Probe::Unreachable, "192.168.0.10", ConnectionState::LanOnlyOffline, "192.168.0.10", "Null"},
    {"OnlineWithAddress", Probe::Reachable, "192.168.0.10", ConnectionState::LanAndWanOnline, "192.168.0.10", kPublicAddress},
    {"OfflineLoopback", Probe::Unreachable, "127.0.0.1", ConnectionState::Offline, "Null", "Null"},
    {"OnlineLoopback", Probe::Reachable, "127.0.0.1", ConnectionState::WanOnlyOnline, "Null", kPublicAddress},
    {"OnlineAddressWithoutOne", Probe::Reachable, "200.45.67.89", ConnectionState::WanOnlyOnline, "Null", kPublicAddress},
    {"OfflineAddressWithoutOne", Probe::Unreachable, "200.45.67.89", ConnectionState::WanOnlyOnline, "Null", kPublicAddress},
    {"OnlineEmptyAddress", Probe::Reachable, "", ConnectionState::WanOnlyOnline, "Null", kPublicAddress},
    {"OfflineEmptyAddress", Probe::Unreachable, "", ConnectionState::WanOnlyOnline, "Null", kPublicAddress},
    {"NotRunWithAddress", Probe::NotRun, "192.168.0.10", ConnectionState::WanOnlyOnline, "Null", kPublicAddress},
    {"NotRunLoopback", Probe::NotRun, "127.0.0.1", ConnectionState::WanOnlyOnline, "Null", kPublicAddress},
};

// The lamps as each state leaves them: green, yellow, red.
Lamp lamps(ConnectionState state, int which) {
    static const Lamp table[4][3] = {
        {{1, "", 1710}, {0, "LAN Only", 1720}, {0, "Offline", 1720}},   // LanOnlyOffline
        {{0, "Online", 1720}, {0, "WAN/LAN", 1720}, {1, "", 1710}},     // LanAndWanOnline
        {{1, "", 1700}, {1, "", 1700}, {0, "Offline", 1720}},           // Offline
        {{0, "Online", 1720}, {0, "WAN Only", 1720}, {1, "", 1700}},    // WanOnlyOnline
    };
    return table[static_cast<int>(state)][which];
}

class InputTable : public Cycle, public ::testing::WithParamInterface<Row> {};

}  // namespace

TEST_P(InputTable, GivesTheStateTextsAndLamps) {
    const Row& row = GetParam();
    probeAnswers(row.probe);
    const std::string address = row.localAddress;
    fakes.localIp->answer = [address] { return address; };
    runCycle();

    EXPECT_EQ(fakes.localIp->reads, 1);
    EXPECT_TRUE(presenter.shown.empty());
    EXPECT_EQ(form.txtStatus->Text(), StatusText(row.state));
    EXPECT_FALSE(form.txtStatus->Visible());
    EXPECT_EQ(form.LAN->Text(), QString::fromLatin1(row.lan));
    EXPECT_EQ(form.WAN->Text(), QString::fromLatin1(row.wan));
    EXPECT_EQ(form.txtStatus2->Text(), row.probe == Probe::Reachable     ? "online"
                                       : row.probe == Probe::Unreachable ? "Offline"
                                                                         : "");
    EXPECT_NE(form.LAN->Text(), "Shit!");

    // The gathering display gives way to the results in every state.
    EXPECT_FALSE(form.ProgressBar1->Visible());
    EXPECT_FALSE(form.lblWorking->Visible());
    for (const auto* shown : {static_cast<const QWidget*>(form.LAN2), static_cast<const QWidget*>(form.LAN),
                              static_cast<const QWidget*>(form.WAN2), static_cast<const QWidget*>(form.WAN),
                              static_cast<const QWidget*>(form.txtLocal), static_cast<const QWidget*>(form.lblLocal),
                              static_cast<const QWidget*>(form.chkReload), static_cast<const QWidget*>(form.chkAdp),
                              static_cast<const QWidget*>(form.chkstatus)})
        EXPECT_FALSE(shown->isHidden()) << shown->metaObject()->className();
    EXPECT_EQ(form.txtLocal->Text(), "127.0.0.1");

    expectLamp(form.chkgreen, lamps(row.state, 0), "chkgreen");
    expectLamp(form.chkyellow, lamps(row.state, 1), "chkyellow");
    expectLamp(form.chkred, lamps(row.state, 2), "chkred");
}

INSTANTIATE_TEST_SUITE_P(RefreshCycle, InputTable, ::testing::ValuesIn(kInputTable),
                         [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

TEST_F(Cycle, ExactlyTwentyTicksColourTheBarBeforeItMovesThenTheTimerStops) {
    app.dispatch([&] { form.Show(); });
    ASSERT_TRUE(form.isLoaded());
    // A bar that records the messages it gets, with its value at the time.
    auto* bar = new RecordingProgressBar(form.ProgressBar1->parentWidget());
    bar->setMin(0);
    bar->setMax(100);
    bar->setValue(0);
    form.ProgressBar1 = bar;
    std::vector<float> valueAtProbe;
    fakes.internet->onCall = [&] { valueAtProbe.push_back(bar->Value()); };

    // The real timer, at its real 100 ms.
    ASSERT_EQ(form.Timer1->Interval(), 100);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return !form.Timer1->Enabled(); }, 10000));
    const qint64 took = clock.elapsed();
    // Time for a 21st tick, were there one.
    waitUntil([] { return false; }, 400);

    ASSERT_EQ(bar->received.size(), 40u);
    for (std::size_t tick = 0; tick < 20; ++tick) {
        SCOPED_TRACE(tick + 1);
        const auto& background = bar->received[2 * tick];
        const auto& foreground = bar->received[2 * tick + 1];
        EXPECT_EQ(background.message, 0x2001u);
        EXPECT_EQ(background.lParam, 0x000000);
        EXPECT_EQ(foreground.message, 0x0409u);
        EXPECT_EQ(foreground.lParam, 0x00FF00);
        // Sent before the bar moves: the bar still shows the last tick's value.
        EXPECT_EQ(background.valueThen, 5.0f * static_cast<float>(tick));
        EXPECT_EQ(foreground.valueThen, 5.0f * static_cast<float>(tick));
    }
    EXPECT_EQ(bar->Value(), 100.0f);
    EXPECT_FALSE(form.Timer1->Enabled());
    EXPECT_FALSE(form.Timer1->isTicking());
    // One probe, on the 20th tick, with the bar at 100 and the timer stopped.
    EXPECT_EQ(fakes.internet->calls.size(), 4u);
    ASSERT_FALSE(valueAtProbe.empty());
    EXPECT_EQ(valueAtProbe.front(), 100.0f);
    EXPECT_EQ(fakes.localIp->reads, 1);
    EXPECT_GE(took, 1500);
    EXPECT_EQ(bar->backgroundColor(), QColor(0, 0, 0));
    EXPECT_EQ(bar->barColor(), QColor(0, 255, 0));
}

TEST_F(Cycle, TicksOneToNineteenOnlyAdvanceTheBar) {
    app.dispatch([&] { form.Show(); });
    form.Timer1->setInterval(0);
    for (int tick = 1; tick <= 19; ++tick) {
        app.dispatch([&] { form.Timer1_Timer(); });
        EXPECT_EQ(form.ProgressBar1->Value(), 5.0f * static_cast<float>(tick));
    }
    EXPECT_TRUE(form.Timer1->Enabled());
    EXPECT_TRUE(fakes.internet->calls.empty());
    EXPECT_EQ(fakes.localIp->reads, 0);
    EXPECT_TRUE(form.ProgressBar1->Visible());
    EXPECT_TRUE(form.lblWorking->Visible());
    EXPECT_FALSE(form.LAN->Visible());
    EXPECT_FALSE(form.chkgreen->Visible());
    EXPECT_EQ(form.txtStatus2->Text(), "");
}

TEST_F(Cycle, TheProbeCarriesTheTitleAsAgentAndTheProbeUrl) {
    runCycle();
    ASSERT_EQ(fakes.internet->calls.size(), 4u);
    EXPECT_EQ(fakes.internet->calls[0], "InternetOpenA({Qor} Lumenfold 1.5,0,null,null,0)");
    EXPECT_EQ(fakes.internet->calls[1], "InternetOpenUrlA(16,http://example.com/,null,0,0x84400000,0)");
}

TEST_F(Cycle, FailingLocalReadLeavesLanEmptyAndGivesWanOnlyOnline) {
    fakes.localIp->answer = []() -> std::string { throw toolkit::Error(10050, "Winsock", "network is down"); };
    // Even with the probe saying offline: an empty LAN text holds neither
    // "1" nor the loopback marker.
    probeAnswers(Probe::Unreachable);
    runCycle();
    EXPECT_TRUE(presenter.shown.empty());
    EXPECT_FALSE(app.hasEnded());
    EXPECT_EQ(form.txtStatus->Text(), "WAN Only - Online");
    EXPECT_EQ(form.LAN->Text(), "Null");
    EXPECT_EQ(form.WAN->Text(), kPublicAddress);
    // The steps after the failed read still ran.
    EXPECT_FALSE(form.ProgressBar1->Visible());
    EXPECT_EQ(form.txtLocal->Text(), "127.0.0.1");
    expectLamp(form.chkred, {1, "", 1700}, "chkred");
}

TEST_F(Cycle, FailingLocalReadKeepsWhatLanHeld) {
    fakes.localIp->answer = []() -> std::string { throw toolkit::Error(10050, "Winsock", "network is down"); };
    app.dispatch([&] { form.Show(); });
    form.Timer1->setInterval(0);
    form.LAN->setText("10.0.0.1");
    for (int tick = 0; tick < 20; ++tick) app.dispatch([&] { form.Timer1_Timer(); });
    EXPECT_EQ(form.txtStatus->Text(), "LAN And WAN - Online");
    EXPECT_EQ(form.LAN->Text(), "10.0.0.1");
}

TEST_F(Cycle, AFailureBeforeTheLocalReadReachesTheUserAndEndsTheApplication) {
    fakes.internet->onCall = [] { throw toolkit::Error(7, toolkit::kProgramSource, "Out of memory"); };
    runCycle();
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].number(), 7);
    EXPECT_TRUE(app.hasEnded());
    EXPECT_EQ(fakes.localIp->reads, 0);
}

TEST_F(Cycle, AWindowWithoutServicesFailsItsProbeLoudly) {
    fakes.platform.internet.reset();
    runCycle();
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].number(), toolkit::errors::ObjectRequired);
}

TEST_F(Cycle, ReloadRunsTheWholeCycleAgainFromTheLoadTimeState) {
    probeAnswers(Probe::Unreachable);
    runCycle();
    ASSERT_EQ(form.txtStatus->Text(), "LAN Only - Offline");
    app.dispatch([&] {
        form.Unload();
        form.Show();
    });
    flushDeletions();
    ASSERT_TRUE(form.isLoaded());
    EXPECT_EQ(form.ProgressBar1->Value(), 0.0f);
    EXPECT_EQ(form.txtStatus2->Text(), "");
    EXPECT_EQ(form.chkgreen->Value(), 0);
    probeAnswers(Probe::Reachable);
    form.Timer1->setInterval(0);
    for (int tick = 0; tick < 20; ++tick) app.dispatch([&] { form.Timer1_Timer(); });
    EXPECT_EQ(form.txtStatus->Text(), "LAN And WAN - Online");
    expectLamp(form.chkgreen, lamps(ConnectionState::LanAndWanOnline, 0), "chkgreen");
    expectLamp(form.chkred, lamps(ConnectionState::LanAndWanOnline, 2), "chkred");
    EXPECT_EQ(fakes.internet->calls.size(), 4u + 3u);
}

// What a listener hears of the results: the state once, as an unasked
// status update, and afterwards on the lamp bar; each lamp lit as the
// legend shows it. A reload is a new window that announces its own state.
TEST_F(Cycle, TheStateIsAnnouncedOnceAndStaysReadableOnTheLampBar) {
    QStringList announced;
    const auto listen = [&] {
        auto* announcer = form.window()->findChild<toolkit::Announcer*>();
        ASSERT_NE(announcer, nullptr);
        QObject::connect(announcer, &toolkit::Announcer::announced, [&](const QString& text) { announced << text; });
    };
    const auto lampReading = [](const toolkit::CheckBox* lamp) {
        return QAccessible::queryAccessibleInterface(const_cast<toolkit::CheckBox*>(lamp))->text(QAccessible::Name);
    };
    const auto expectHeard = [&](const QString& status) {
        EXPECT_TRUE(waitUntil([&] { return !announced.isEmpty(); }, 3000));
        // Nothing more is said of the same window.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200) QCoreApplication::processEvents();
        EXPECT_EQ(announced, QStringList{status});
        EXPECT_EQ(QAccessible::queryAccessibleInterface(form.chkstatus)->text(QAccessible::Name),
                  QStringLiteral("Online Status: ") + status);
        for (const toolkit::CheckBox* lamp : {form.chkgreen, form.chkyellow, form.chkred}) {
            const QString heard = lampReading(lamp);
            EXPECT_EQ(heard.endsWith(QStringLiteral(", lit")), !lamp->Caption().isEmpty()) << heard.toStdString();
            EXPECT_TRUE(heard.contains(lamp->Caption())) << heard.toStdString();
        }
    };

    probeAnswers(Probe::Reachable);
    app.dispatch([&] { form.Show(); });
    listen();
    form.Timer1->setInterval(0);
    for (int tick = 0; tick < 19; ++tick) app.dispatch([&] { form.Timer1_Timer(); });
    QCoreApplication::processEvents();
    EXPECT_TRUE(announced.isEmpty()) << "nothing to say while gathering";
    app.dispatch([&] { form.Timer1_Timer(); });
    expectHeard(QStringLiteral("LAN And WAN - Online"));
    EXPECT_EQ(lampReading(form.chkred), QStringLiteral("Red lamp: off"));
    EXPECT_EQ(lampReading(form.chkgreen), QStringLiteral("Green lamp: Online, lit"));

    announced.clear();
    fakes.localIp->answer = [] { return std::string("127.0.0.1"); };
    probeAnswers(Probe::Unreachable);
    app.dispatch([&] {
        form.Unload();
        form.Show();
    });
    flushDeletions();
    listen();
    form.Timer1->setInterval(0);
    for (int tick = 0; tick < 20; ++tick) app.dispatch([&] { form.Timer1_Timer(); });
    expectHeard(QStringLiteral("Offline"));
    EXPECT_EQ(lampReading(form.chkgreen), QStringLiteral("Green lamp: off")) << "pressed, but dark in the legend";
    EXPECT_EQ(lampReading(form.chkred), QStringLiteral("Red lamp: Offline, lit"));
}

TEST(ConnectionStateTable, TriesTheRowsInOrderWithCaseInsensitiveContainment) {
    // Each condition needs both of its tests.
    EXPECT_EQ(ClassifyConnection("Offline", "10.0.0.2"), ConnectionState::LanOnlyOffline);
    EXPECT_EQ(ClassifyConnection("OFFLINE", "10.0.0.2"), ConnectionState::LanOnlyOffline);
    EXPECT_EQ(ClassifyConnection("online", "10.0.0.2"), ConnectionState::LanAndWanOnline);
    EXPECT_EQ(ClassifyConnection("ONLINE", "10.0.0.2"), ConnectionState::LanAndWanOnline);
    EXPECT_EQ(ClassifyConnection("Offline", "Shit!"), ConnectionState::Offline);
    EXPECT_EQ(ClassifyConnection("offline", "SHIT!"), ConnectionState::Offline);
    EXPECT_EQ(ClassifyConnection("online", "Shit!"), ConnectionState::WanOnlyOnline);
    EXPECT_EQ(ClassifyConnection("Offline", "200.45.67.89"), ConnectionState::WanOnlyOnline);
    EXPECT_EQ(ClassifyConnection("", "10.0.0.2"), ConnectionState::WanOnlyOnline);
    EXPECT_EQ(ClassifyConnection("", ""), ConnectionState::WanOnlyOnline);
    // "Offline" holds "line" but not "online"; an empty text contains nothing.
    EXPECT_FALSE(Contains("Offline", "online"));
    EXPECT_FALSE(Contains("", ""));
    EXPECT_TRUE(Contains("a1b", "1"));
}
