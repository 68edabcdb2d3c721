// The main window's commands with fake services: Reload, the WAN label and
// the home-page button, clicked as a user clicks them.
#include <QAccessible>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "adapters/AdapterInfoApi.h"
#include "adapters/Form2.h"
#include "app/Form1.h"
#include "app/Identity.h"
#include "platform/linux/XdgShell.h"
#include "tests/support/Fakes.h"
#include "toolkit/Error.h"

using namespace testing_support;

namespace {

constexpr const char* kPublicAddress = "203.0.113.7";
const std::string kWanCommandLine = R"(explorer.exe "http://checkip.dyndns.org/")";
const std::string kHomeCommandLine = R"(explorer.exe "http://www.lumenfold.net")";

// A press and release in the middle of a control, as the mouse gives them.
void click(QWidget* control) {
    ASSERT_NE(control, nullptr);
    const QPointF middle(control->width() / 2.0, control->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, middle, control->mapToGlobal(middle), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, middle, control->mapToGlobal(middle), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control, &press);
    QCoreApplication::sendEvent(control, &release);
}

std::vector<QWidget*> visibleWindows() {
    std::vector<QWidget*> shown;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) shown.push_back(window);
    return shown;
}

struct Commands : ::testing::Test {
    RecordingPresenter presenter;
    toolkit::Application app{presenter};
    FakePlatform fakes;
    app::Form1 form{app, fakes.platform};
    int fetches = 0;

    Commands() {
        fakes.transfer->answer = [this](const std::string&) {
            ++fetches;
            return std::string(kPublicAddress);
        };
    }
    ~Commands() override {
        if (form.isLoaded()) form.Unload();
        flushDeletions();
    }

    // Runs the 20 ticks of the gathering at once instead of in two seconds.
    void finishGathering() {
        ASSERT_TRUE(form.isLoaded());
        form.Timer1->setInterval(0);
        for (int tick = 0; tick < 20 && form.Timer1->Enabled(); ++tick) emit form.Timer1->Tick();
        ASSERT_FALSE(form.Timer1->Enabled()) << "the cycle did not finish";
    }

    bool gatheringShown() const {
        return form.ProgressBar1->Visible() && form.lblWorking->Visible() && form.ProgressBar1->Value() == 0 &&
               !form.WAN->Visible() && !form.chkReload->Visible() && !form.chkAdp->Visible() && !form.WAN2->Visible();
    }
};

TEST_F(Commands, BrowserUrlsAreAnAddressPageOnTheRootAndTheProductsHostAlone) {
    const QUrl wan(QString::fromLatin1(app::kWanPageUrl));
    EXPECT_EQ(wan.scheme(), QStringLiteral("http"));
    EXPECT_EQ(wan.path(), QStringLiteral("/"));
    const QUrl home(QString::fromLatin1(app::kHomePageUrl));
    EXPECT_EQ(home.scheme(), QStringLiteral("http"));
    EXPECT_TRUE(home.path().isEmpty());
    EXPECT_TRUE(QString::fromLatin1(app::kContactAddress).endsWith(QLatin1Char('@') + home.host().mid(4)))
        << "the About text's addresses share the home page's host";
}

TEST_F(Commands, WanLabelAndHomePageStartTheirExactCommandLinesWithStyle2) {
    app.start(form);
    // The home page is there from the start, on its tab.
    form.SSTTab0->setTab(2);
    click(form.Qor);
    ASSERT_EQ(fakes.shell->started, (std::vector<FakeShell::Started>{{kHomeCommandLine, 2}}));

    finishGathering();
    form.SSTTab0->setTab(0);
    ASSERT_TRUE(form.WAN2->isVisible());
    click(form.WAN2);
    form.SSTTab0->setTab(2);
    click(form.Qor);
    EXPECT_EQ(fakes.shell->started,
              (std::vector<FakeShell::Started>{{kHomeCommandLine, 2}, {kWanCommandLine, 2}, {kHomeCommandLine, 2}}));
    // The browser commands leave everything as it was.
    EXPECT_FALSE(app.hasEnded());
    EXPECT_TRUE(presenter.shown.empty());
    EXPECT_EQ(fetches, 1);
    EXPECT_EQ(visibleWindows(), std::vector<QWidget*>{form.window()});
}

TEST_F(Commands, FailingStartEndsTheApplicationAfterShowingTheError) {
    // The real service, with no xdg-open to be found.
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    fakes.platform.shell = std::make_unique<platform::gnulinux::XdgShell>();
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toUtf8());
    app.start(form);
    finishGathering();
    click(form.WAN2);
    qputenv("PATH", savedPath);

    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].number(), toolkit::errors::FileNotFound);
    EXPECT_TRUE(app.hasEnded());
    EXPECT_EQ(app.exitCode(), 1);
    EXPECT_TRUE(visibleWindows().empty());
}

TEST_F(Commands, FailingStartOfTheHomePageEndsTheApplicationToo) {
    fakes.shell->onStart = [](const std::string&) {
        throw toolkit::Error(toolkit::errors::FileNotFound, toolkit::kProgramSource, "File not found");
    };
    app.start(form);
    form.SSTTab0->setTab(2);
    click(form.Qor);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].description(), "File not found");
    EXPECT_TRUE(app.hasEnded());
    click(form.Qor);
    EXPECT_EQ(fakes.shell->started.size(), 1u) << "nothing is dispatched once the application has ended";
}

// Assistive technology presses a control through its accessible action.
void pressForAssistiveTechnology(QWidget* control) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(iface, nullptr);
    ASSERT_NE(iface->actionInterface(), nullptr);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    // A push button answers after its pressed look has shown.
    QEventLoop settle;
    QTimer::singleShot(250, &settle, &QEventLoop::quit);
    settle.exec();
}

TEST_F(Commands, AssistiveTechnologyCannotPressACommandTheUserCannotSee) {
    app.start(form);
    testing_support::openEveryTab(*form.SSTTab0);
    ASSERT_TRUE(gatheringShown());
    pressForAssistiveTechnology(form.chkAdp);
    pressForAssistiveTechnology(form.chkReload);
    pressForAssistiveTechnology(form.Qor);  // on a tab not shown
    EXPECT_FALSE(form.Form2 && form.Form2->isLoaded()) << "the hidden Adapter Info ran";
    EXPECT_EQ(form.chkAdp->Value(), 0);
    EXPECT_EQ(fetches, 1) << "the hidden Reload ran";
    EXPECT_TRUE(fakes.shell->started.empty()) << "the home page opened from a hidden tab";

    finishGathering();
    form.SSTTab0->setTab(2);
    pressForAssistiveTechnology(form.Qor);
    EXPECT_EQ(fakes.shell->started.size(), 1u) << "on its tab it answers";
}

TEST_F(Commands, ReloadBuildsAFreshCentredWindowThatGathersAgain) {
    app.start(form);
    finishGathering();
    ASSERT_EQ(form.WAN->Text(), QString::fromLatin1(kPublicAddress));
    form.window()->move(0, 0);  // the user moved the window away
    QPointer<QWidget> oldWindow = form.window();
    toolkit::Timer* oldTimer = form.Timer1;

    bool windowOnScreenDuringFetch = true;
    fakes.transfer->answer = [&](const std::string&) {
        ++fetches;
        windowOnScreenDuringFetch = !visibleWindows().empty();
        return std::string("198.51.100.9");
    };
    click(form.chkReload);

    EXPECT_FALSE(app.hasEnded());
    EXPECT_TRUE(presenter.shown.empty());
    EXPECT_EQ(fetches, 2);
    EXPECT_FALSE(windowOnScreenDuringFetch) << "no main window while the new fetch runs";
    ASSERT_NE(form.window(), oldWindow.data());
    EXPECT_FALSE(oldWindow->isVisible());
    EXPECT_NE(form.Timer1, oldTimer);
    EXPECT_EQ(form.Timer1->Interval(), 100);
    EXPECT_TRUE(form.Timer1->isTicking());
    EXPECT_TRUE(gatheringShown());
    EXPECT_EQ(form.chkReload->Value(), 0) << "a fresh, unchecked box";
    EXPECT_EQ(visibleWindows(), std::vector<QWidget*>{form.window()});

    // Placed as a newly loaded window: centred, not where the old one stood.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((form.window()->geometry().center() - area.center()).manhattanLength(), 4);

    flushDeletions();
    EXPECT_TRUE(oldWindow.isNull());
    finishGathering();
    EXPECT_EQ(form.WAN->Text(), QStringLiteral("198.51.100.9"));
    EXPECT_TRUE(form.chkReload->Visible());
}

TEST_F(Commands, ReloadWithTheAddressServiceFailingOpensEmptyAndCyclesAgain) {
    app.start(form);
    finishGathering();
    bool windowOnScreenDuringFetch = true;
    fakes.transfer->answer = [&](const std::string&) -> std::string {
        windowOnScreenDuringFetch = !visibleWindows().empty();
        throw toolkit::Error(35761, "Inet", "Request timed out");
    };
    click(form.chkReload);

    EXPECT_TRUE(presenter.shown.empty()) << "start-up absorbs the failure";
    EXPECT_FALSE(app.hasEnded());
    EXPECT_FALSE(windowOnScreenDuringFetch);
    ASSERT_TRUE(form.window()->isVisible());
    EXPECT_EQ(form.WAN->Text(), QString());
    EXPECT_TRUE(gatheringShown());

    finishGathering();
    EXPECT_FALSE(form.ProgressBar1->Visible());
    EXPECT_TRUE(form.WAN->Visible());
    EXPECT_EQ(form.WAN->Text(), QString()) << "online with a LAN address: WAN shows what the fetch left";
    EXPECT_EQ(form.txtStatus->Text(), QStringLiteral("LAN And WAN - Online"));
}

TEST_F(Commands, ReloadTwiceInARowKeepsOneMainWindow) {
    app.start(form);
    finishGathering();
    click(form.chkReload);
    finishGathering();
    click(form.chkReload);
    flushDeletions();
    EXPECT_EQ(fetches, 3);
    EXPECT_EQ(app.loadedCount(), 1);
    EXPECT_EQ(visibleWindows(), std::vector<QWidget*>{form.window()});
}

// Adapter Info, with one adapter listed by the fake platform.
struct AdapterInfo : Commands {
    int adpClicks = 0;

    AdapterInfo() {
        fakes.adapterInfo->adapters = {{"enp1s0", 2, "Ethernet adapter", {"192.168.0.10"}, {"192.168.0.1"}}};
        app.start(form);
        finishGathering();
    }
    ~AdapterInfo() override {
        if (form.Form2 && form.Form2->isLoaded()) form.Form2->Unload();
    }

    void clickAdapterInfo() {
        // Every Click of the box, the nested one included.
        QObject::connect(form.chkAdp, &toolkit::CheckBox::Click, form.chkAdp, [this] { ++adpClicks; });
        click(form.chkAdp);
    }
    QWidget* adapterWindow() const { return form.Form2 ? form.Form2->window() : nullptr; }
    static QString report() {
        return QStringLiteral(
            "1 adapter(s) found.\r\n\r\nAdapter 0\r\n\tDescription = Ethernet adapter\r\n\tAdapterIndex = 2\r\n"
            "\tName = enp1s0\r\n\tIP = 192.168.0.10\r\n\tGatewayIP = 192.168.0.1\r\n\r\n");
    }
};

TEST_F(AdapterInfo, OpensOneWindowAndLeavesTheBoxUnchecked) {
    EXPECT_EQ(form.Form2, nullptr) << "made on first use";
    clickAdapterInfo();
    ASSERT_NE(form.Form2, nullptr);
    ASSERT_TRUE(form.Form2->isLoaded());
    EXPECT_EQ(adpClicks, 2) << "the reset raised one nested Click, and no more";
    EXPECT_EQ(form.chkAdp->Value(), 0);
    EXPECT_EQ(form.Form2->txtOut->Text(), report()) << "listed and printed once";
    EXPECT_EQ(adapterWindow()->windowTitle(), QStringLiteral("Adapter Info"));
    EXPECT_FALSE(adapterWindow()->windowIcon().isNull()) << "the main window's icon";
    EXPECT_EQ(visibleWindows().size(), 2u);
    EXPECT_TRUE(adapterWindow()->isVisible());
    EXPECT_FALSE(app.hasEnded());
    EXPECT_TRUE(presenter.shown.empty());
}

TEST_F(AdapterInfo, AgainWhileOpenShowsTheSameWindowWithoutListingAgain) {
    clickAdapterInfo();
    const int calls = fakes.adapterInfo->calls;
    QWidget* window = adapterWindow();
    const QPoint place = window->pos();
    window->hide();  // out of sight behind other windows, say
    click(form.chkAdp);
    EXPECT_EQ(fakes.adapterInfo->calls, calls) << "no new enumeration";
    EXPECT_EQ(adapterWindow(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pos(), place);
    EXPECT_EQ(form.Form2->txtOut->Text(), report()) << "no second report";
    EXPECT_EQ(form.chkAdp->Value(), 0);
}

TEST_F(AdapterInfo, ClosedThenOpenedListsAfresh) {
    clickAdapterInfo();
    const int calls = fakes.adapterInfo->calls;
    adapterWindow()->close();  // the user closes it
    EXPECT_FALSE(form.Form2->isLoaded());
    EXPECT_FALSE(app.hasEnded());
    fakes.adapterInfo->adapters.push_back({"wlan0", 3, "Wireless", {"10.0.0.5"}, {}});

    click(form.chkAdp);
    EXPECT_GT(fakes.adapterInfo->calls, calls) << "a new enumeration";
    ASSERT_TRUE(form.Form2->isLoaded());
    EXPECT_TRUE(form.Form2->txtOut->Text().startsWith(QStringLiteral("2 adapter(s) found.\r\n\r\n")))
        << "a fresh box with one new report";
    EXPECT_EQ(form.Form2->txtOut->Text().count(QStringLiteral("adapter(s) found.")), 1);
}

TEST_F(AdapterInfo, ReloadLeavesTheOpenAdapterWindowAsItIs) {
    clickAdapterInfo();
    QWidget* window = adapterWindow();
    const QPoint place = window->pos();
    const int calls = fakes.adapterInfo->calls;
    QPointer<QWidget> oldMain = form.window();

    click(form.chkReload);
    EXPECT_NE(form.window(), oldMain.data());
    EXPECT_TRUE(gatheringShown());
    EXPECT_EQ(adapterWindow(), window) << "neither closed nor rebuilt";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pos(), place);
    EXPECT_EQ(fakes.adapterInfo->calls, calls) << "not refreshed";
    EXPECT_EQ(form.Form2->txtOut->Text(), report());

    // The new window's own Adapter Info shows the same window again.
    finishGathering();
    click(form.chkAdp);
    EXPECT_EQ(adapterWindow(), window);
    EXPECT_EQ(fakes.adapterInfo->calls, calls);
    EXPECT_EQ(visibleWindows().size(), 2u);
}

TEST_F(AdapterInfo, ApplicationLivesUntilBothWindowsAreClosed) {
    clickAdapterInfo();
    form.window()->close();
    EXPECT_FALSE(form.isLoaded());
    EXPECT_FALSE(app.hasEnded()) << "Adapter Info is still open";
    adapterWindow()->close();
    EXPECT_TRUE(app.hasEnded());
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(presenter.shown.empty());
}

TEST_F(AdapterInfo, EnumerationErrorIsShownAndEndsTheApplication) {
    fakes.adapterInfo->script = {FakeAdapterInfo::Answer{adapters::ERROR_NOT_SUPPORTED, 0}};
    clickAdapterInfo();
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].number(), static_cast<std::int32_t>(0x8004B710u));
    EXPECT_EQ(presenter.shown[0].description(), "GetAdaptersInfo is not supported by this OS");
    EXPECT_TRUE(app.hasEnded());
    EXPECT_EQ(app.exitCode(), 1);
    EXPECT_FALSE(form.Form2->isLoaded()) << "the window is never displayed";
    EXPECT_EQ(adpClicks, 1) << "the box is not reset after the error";
    EXPECT_TRUE(visibleWindows().empty());
}

}  // namespace
