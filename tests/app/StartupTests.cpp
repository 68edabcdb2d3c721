// The main window's load: the public address into WAN, the timer set going,
// the result fields hidden, and the window shown only afterwards.
#include <gtest/gtest.h>

#include "app/Form1.h"
#include "tests/support/Fakes.h"
#include "toolkit/Error.h"

using namespace testing_support;

namespace {

struct Startup : ::testing::Test {
    RecordingPresenter presenter;
    toolkit::Application app{presenter};
    FakePlatform fakes;
    app::Form1 form{app, fakes.platform};

    ~Startup() override { flushDeletions(); }

    void answer(std::string reply) {
        fakes.transfer->answer = [reply](const std::string&) { return reply; };
    }
};

TEST_F(Startup, WanGetsTheLastTokenOfTheReply) {
    const std::pair<std::string, QString> cases[] = {
        {"198.51.100.23", "198.51.100.23"},
        {"Current IP Address: 198.51.100.23", "198.51.100.23"},
        {"ip  198.51.100.23", "198.51.100.23"},
        {"198.51.100.23 ", ""},
        {"198.51.100.23\n", "198.51.100.23\n"},
    };
    for (const auto& [reply, shown] : cases) {
        answer(reply);
        form.Load();
        EXPECT_EQ(form.WAN->Text(), shown) << "reply '" << reply << "'";
        form.Unload();
    }
    EXPECT_EQ(fakes.transfer->requested.size(), std::size(cases)) << "one fetch per load";
    EXPECT_EQ(fakes.transfer->requested.front(), "http://api.ipify.org/");
}

TEST_F(Startup, FailingOrEmptyFetchLeavesWanEmptyAndTheRestRuns) {
    for (bool raise : {true, false}) {
        fakes.transfer->answer = [raise](const std::string&) -> std::string {
            if (raise) throw toolkit::Error(35761, "Inet", "Request timed out");
            return "";
        };
        app.start(form);
        EXPECT_TRUE(presenter.shown.empty()) << "start-up reports nothing";
        EXPECT_TRUE(form.isLoaded());
        EXPECT_EQ(form.WAN->Text(), QString());
        EXPECT_EQ(form.Timer1->Interval(), 100);
        EXPECT_FALSE(form.chkAdp->Visible()) << "the last hiding step still ran";
        form.Unload();
    }
}

TEST(StartupWithoutTransfer, FetchStepFailsAsObjectRequiredAndTheLoadGoesOn) {
    RecordingPresenter presenter;
    toolkit::Application app{presenter};
    FakePlatform fakes;
    fakes.platform.transfer.reset();
    {
        app::Form1 form{app, fakes.platform};
        app.start(form);
        EXPECT_TRUE(presenter.shown.empty()) << "resume-next absorbs the missing control";
        EXPECT_EQ(form.WAN->Text(), QString());
        EXPECT_FALSE(form.chkAdp->Visible()) << "the last hiding step still ran";
        form.Unload();
    }
    flushDeletions();
}

TEST_F(Startup, HidesTheThirteenControlsAndKeepsTheGatheringDisplay) {
    answer("198.51.100.23");
    app.start(form);
    const std::pair<const char*, bool> visible[] = {
        {"LAN2", form.LAN2->Visible()},           {"LAN", form.LAN->Visible()},
        {"WAN2", form.WAN2->Visible()},           {"WAN", form.WAN->Visible()},
        {"txtStatus", form.txtStatus->Visible()}, {"txtLocal", form.txtLocal->Visible()},
        {"lblLocal", form.lblLocal->Visible()},   {"chkgreen", form.chkgreen->Visible()},
        {"chkyellow", form.chkyellow->Visible()}, {"chkred", form.chkred->Visible()},
        {"chkstatus", form.chkstatus->Visible()}, {"chkReload", form.chkReload->Visible()},
        {"chkAdp", form.chkAdp->Visible()},
    };
    for (const auto& [name, shown] : visible) EXPECT_FALSE(shown) << name;
    EXPECT_TRUE(form.ProgressBar1->isVisible());
    EXPECT_TRUE(form.lblWorking->isVisible());
    EXPECT_EQ(form.lblWorking->Caption(), QStringLiteral("Gathering Information..."));
    EXPECT_TRUE(form.txtStatus2->Visible());
    form.SSTTab0->setTab(2);
    EXPECT_TRUE(form.Qor->isVisible()) << "the home-page button is never hidden";
}

TEST_F(Startup, TimerIsSetTo100AndFirstTicksOnlyAfterLoadReturns) {
    answer("198.51.100.23");
    bool shownDuringFetch = true;
    fakes.transfer->answer = [&](const std::string&) {
        shownDuringFetch = form.window() && form.window()->isVisible();
        return std::string("198.51.100.23");
    };
    app.start(form);
    EXPECT_FALSE(shownDuringFetch) << "no window on screen before the fetch has ended";
    EXPECT_TRUE(form.window()->isVisible());
    EXPECT_EQ(form.Timer1->Interval(), 100);
    EXPECT_TRUE(form.Timer1->Enabled());
    EXPECT_TRUE(form.Timer1->isTicking());
}

TEST_F(Startup, WindowHasItsCaptionAndFixedClientArea) {
    app.start(form);
    EXPECT_EQ(form.window()->windowTitle(), QStringLiteral("{Qor} Lumenfold v1.5"));
    EXPECT_FLOAT_EQ(form.ScaleWidth(), 5490);
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 2940);
    EXPECT_EQ(form.window()->minimumSize(), form.window()->maximumSize());
}

TEST_F(Startup, ReloadRunsTheLoadInFullOnAFreshWindow) {
    int fetches = 0;
    fakes.transfer->answer = [&](const std::string&) { return "198.51.100." + std::to_string(++fetches); };
    app.start(form);
    form.WAN->setVisible(true);
    form.LAN->setText(QStringLiteral("left over"));
    app.dispatch([&] {
        form.Unload();
        form.Load();
        form.Show();
    });
    EXPECT_FALSE(app.hasEnded());
    EXPECT_EQ(fetches, 2);
    EXPECT_EQ(form.WAN->Text(), QStringLiteral("198.51.100.2"));
    EXPECT_FALSE(form.WAN->Visible());
    EXPECT_EQ(form.LAN->Text(), QString()) << "no value survives a reload";
    EXPECT_EQ(form.Timer1->Interval(), 100);
}

TEST_F(Startup, ClosingTheMainWindowEndsTheApplication) {
    app.start(form);
    form.window()->close();
    EXPECT_TRUE(app.hasEnded());
    EXPECT_EQ(app.exitCode(), 0);
}

}  // namespace
