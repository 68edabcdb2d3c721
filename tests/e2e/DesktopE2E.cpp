// The real program on a desktop of the test's own (Xvfb and openbox), in a
// network namespace whose hosts file points the product's fixed host names
// at a local server: the user's clicks come from xdotool, and what appears
// is read back by window caption.
#include <QUrl>
#include <gtest/gtest.h>

#include <condition_variable>
#include <climits>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/Identity.h"
#include "probes/Connectivity.h"
#include "probes/PublicAddress.h"
#include "tests/support/Desktop.h"
#include "tests/support/Fakes.h"
#include "tests/support/HttpServer.h"
#include "tests/support/Netns.h"
#include "tests/support/SilentSocket.h"
#include "toolkit/Twips.h"

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

constexpr const char* kServedAddress = "203.0.113.61";
const std::string kMainTitle = R"(\{Qor\} Lumenfold v1\.5)";
const std::string kAdapterTitle = "Adapter Info";

std::string hostOf(const char* url) { return QUrl(QString::fromLatin1(url)).host().toStdString(); }

// The middle of a control of the main window's panel, in pixels from the
// top-left corner of the client area: the panel stands 360 twips down,
// under the tab headers.
std::string panelPoint(float left, float top, float width, float height) {
    constexpr float kPanelTop = 360;
    return std::to_string(toolkit::toPixels(left + width / 2)) + " " +
           std::to_string(toolkit::toPixels(kPanelTop + top + height / 2));
}
const std::string kAdapterInfoButton = panelPoint(240, 2040, 2055, 340);
const std::string kReloadButton = panelPoint(2240, 2040, 3030, 340);
const std::string kWanLabel = panelPoint(240, 270, 900, 285);  // the left part of "Your Wan Ip Is:"
// The "About / Help" tab header, and the home-page button on that page (the
// page covers the header; the bottom of the button is cut off by the frame).
const std::string kAboutTab = std::to_string(toolkit::toPixels(5535 * 5 / 6)) + " 10";
const std::string kHomePageButton = "150 " + std::to_string(toolkit::toPixels(2740 + 100));

// Both services behind one local address: the address service answers the
// served address, the probe site a page; the requests are counted.
struct LocalInternet {
    std::mutex mutex;
    std::condition_variable released;
    int addressRequests = 0;
    int probeRequests = 0;
    // Address requests after this many are held until release().
    int addressesAnswered = INT_MAX;
    bool holding = true;

    void holdAddressesAfter(int answered) {
        std::lock_guard lock(mutex);
        addressesAnswered = answered;
    }
    void release() {
        {
            std::lock_guard lock(mutex);
            holding = false;
        }
        released.notify_all();
    }

    std::function<void(httplib::Server&)> routes() {
        return [this](httplib::Server& s) {
            s.Get("/", [this](const httplib::Request& request, httplib::Response& response) {
                std::lock_guard lock(mutex);
                if (request.get_header_value("Host") == hostOf(probes::kProbeUrl)) {
                    ++probeRequests;
                    response.set_content("<html><body>Example Domain</body></html>", "text/html");
                } else {
                    ++addressRequests;
                    if (addressRequests > addressesAnswered) {
                        std::unique_lock hold(mutex, std::adopt_lock);
                        released.wait_for(hold, 60s, [this] { return !holding; });
                        hold.release();
                    }
                    response.set_content(kServedAddress, "text/plain");
                }
            });
        };
    }
    int addresses() {
        std::lock_guard lock(mutex);
        return addressRequests;
    }
    int probes() {
        std::lock_guard lock(mutex);
        return probeRequests;
    }
};

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        LUMENFOLD_SKIP_WITHOUT_NETNS();
        if (const std::string why = desktopUnavailableReason(); !why.empty()) GTEST_SKIP() << "needs a desktop: " << why;

        host.emplace("desk");
        host->setHosts({{hostOf(probes::kPublicAddressUrl), "127.0.0.1"}, {hostOf(probes::kProbeUrl), "127.0.0.1"}});
        server.emplace(internet.routes(), HttpServer::Options{.host = "127.0.0.1",
                                                              .port = 80,
                                                              .netns = host->name(),
                                                              .lifetime = std::chrono::seconds(100)});
        ASSERT_TRUE(server->ok()) << "could not listen on port 80 inside " << host->name();
        desktop.emplace();

        // A recording xdg-open, first on the program's PATH.
        ASSERT_TRUE(std::filesystem::create_directories(bin));
        std::ofstream script(bin / "xdg-open");
        script << "#!/bin/sh\n{ echo $#; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" << opened.string()
               << ".part' && mv '" << opened.string() << ".part' '" << opened.string() << "'\n";
        script.close();
        std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    }

    void TearDown() override {
        internet.release();
        program.reset();
        desktop.reset();
        server.reset();
        host.reset();
        std::filesystem::remove_all(scratch);
    }

    void startProgram(const std::vector<std::string>& environment = {}) {
        const std::string path = bin.string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
        std::vector<std::string> command{"ip", "netns", "exec", host->name(), "env", "-u", "http_proxy", "-u",
                                         "HTTP_PROXY", "-u", "all_proxy", "-u", "ALL_PROXY", "-u",
                                         "QT_QPA_PLATFORM", "DISPLAY=" + desktop->display(), "PATH=" + path};
        command.insert(command.end(), environment.begin(), environment.end());
        command.push_back(LUMENFOLD_EXECUTABLE);
        program.emplace(command, std::vector<std::string>{});
    }

    // The one window with this title, once it is on screen.
    std::string windowOnScreen(const std::string& title) {
        std::string id;
        EXPECT_TRUE(eventually([&] {
            const auto found = desktop->windowsNamed(title);
            if (found.size() == 1) id = found.front();
            return found.size() == 1;
        })) << "no window " << title << " appeared\n" << desktop->describe();
        return id;
    }

    // The probe site of the namespace accepts and never answers.
    SilentSocket stallingProbeSite() {
        host->setHosts({{hostOf(probes::kPublicAddressUrl), "127.0.0.1"}, {hostOf(probes::kProbeUrl), "127.0.0.2"}});
        return SilentSocket(SilentSocket::Options{true, "127.0.0.2", 80, host->name()});
    }
    // Whether the program's probe is connected to the stalling site.
    bool probeIsWaiting() const {
        return !capture(host->exec() + "ss -Htn state established dst 127.0.0.2 2>/dev/null").empty();
    }

    // Covers the window for a while, takes the cover away, and answers
    // whether the window then shows what it showed before (it paints again
    // instead of keeping the cover's colour or nothing).
    ::testing::AssertionResult repaintsAfterBeingUncovered(const std::string& window) {
        const QRect area = desktop->geometry(window);
        if (area.isEmpty()) return ::testing::AssertionFailure() << "no geometry for " << window;
        const QImage before = desktop->picture(area);
        ChildProcess cover({LUMENFOLD_COVER_WINDOW, std::to_string(area.x()), std::to_string(area.y()),
                            std::to_string(area.width()), std::to_string(area.height()), "600"},
                           {"DISPLAY=" + desktop->display(), "QT_QPA_PLATFORM=xcb"});
        std::this_thread::sleep_for(300ms);
        const QImage covered = desktop->picture(area);
        if (cover.wait(10s) != std::optional<int>(0)) return ::testing::AssertionFailure() << "the cover failed";
        std::this_thread::sleep_for(400ms);
        const QImage after = desktop->picture(area);
        if (before.isNull() || after.isNull() || before.size() != after.size())
            return ::testing::AssertionFailure() << "no picture of the screen";
        const auto share = [&](const QImage& image, const std::function<bool(int, int)>& counts) {
            long hits = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) hits += counts(x, y);
            return static_cast<double>(hits) / (image.width() * image.height());
        };
        const auto isMagenta = [](QRgb pixel) { return pixel == qRgb(255, 0, 255); };
        const double coveredShare = share(covered, [&](int x, int y) { return isMagenta(covered.pixel(x, y)); });
        const double sameShare = share(after, [&](int x, int y) { return after.pixel(x, y) == before.pixel(x, y); });
        // A blinking caret may differ in a few pixels.
        if (coveredShare > 0.95 && sameShare > 0.99) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "covered: " << coveredShare * 100 << "% cover colour; after: "
                                             << sameShare * 100 << "% as before";
    }

    // Answers how long the program took to answer a screen reader's query
    // for its windows (none: it did not answer within 5 s).
    std::optional<std::chrono::milliseconds> accessibilityAnswerTime(const AccessibilityBus& bus) {
        std::optional<std::string> connection;
        eventually([&] { return (connection = bus.connectionOf(program->pid())).has_value(); }, 10s);
        if (!connection) return std::nullopt;
        const auto start = std::chrono::steady_clock::now();
        if (!bus.askForWindows(*connection, 5s)) return std::nullopt;
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    }

    // The one main window, once it is on screen and its gathering is over.
    std::string mainWindowAfterGathering(int probesBefore) {
        std::string id;
        EXPECT_TRUE(eventually([&] {
            const auto found = desktop->windowsNamed(kMainTitle);
            if (found.size() == 1) id = found.front();
            return found.size() == 1;
        })) << "no main window appeared";
        EXPECT_TRUE(eventually([&] { return internet.probes() > probesBefore; })) << "the gathering did not end";
        // The probe's answer is shown by the same tick; let it paint.
        std::this_thread::sleep_for(700ms);
        return id;
    }

    // Raises the window first: Adapter Info opens over the main window.
    void clickIn(const std::string& window, const std::string& point) {
        ASSERT_TRUE(eventually([&] {
            desktop->xdotool("windowactivate --sync " + window);
            return desktop->xdotool("getactivewindow") == window + "\n";
        })) << "could not activate " << window << "\n" << desktop->describe();
        desktop->xdotool("mousemove --window " + window + " " + point + " click 1");
    }
    void closeByTheUser(const std::string& window) { desktop->closeWindow(window); }
    std::optional<AccessibilityBus> accessibilityBus() {
        if (const std::string why = accessibilityUnavailableReason(); !why.empty()) {
            ADD_FAILURE() << "needs an accessibility bus: " << why;
            return std::nullopt;
        }
        return std::optional<AccessibilityBus>(std::in_place, scratch / "session");
    }

    std::string openedText() const { return testing_support::readText(opened.string()); }

    LocalInternet internet;
    std::optional<Netns> host;
    std::optional<HttpServer> server;
    std::optional<VirtualDesktop> desktop;
    std::optional<ChildProcess> program;
    std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("lumenfold-desktop-" + std::to_string(getpid()));
    std::filesystem::path bin = scratch / "bin";
    std::filesystem::path opened = scratch / "opened";
};

TEST_F(Desktop, CommandsWindowsAndLifetimeOfTheRealProgram) {
    startProgram();
    const std::string first = mainWindowAfterGathering(0);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(internet.addresses(), 1);

    // Adapter Info opens one window; asking again while it is open shows
    // the same one.
    clickIn(first, kAdapterInfoButton);
    std::string adapterInfo;
    ASSERT_TRUE(eventually([&] {
        const auto found = desktop->windowsNamed(kAdapterTitle);
        if (found.size() == 1) adapterInfo = found.front();
        return !found.empty();
    })) << "no Adapter Info window appeared";
    // The main window's whole frame is centred, title bar included, and
    // Adapter Info opens offset from that frame's outer corner. (Client
    // areas: 366 by 196 and 356 by 186.)
    QRect mainFrame, adapterFrame;
    ASSERT_TRUE(eventually([&] {
        mainFrame = desktop->frameGeometry(first);
        adapterFrame = desktop->frameGeometry(adapterInfo);
        return mainFrame.height() > 196 && adapterFrame.height() > 186;
    })) << "openbox did not frame the windows";
    const QSize screen = desktop->screenSize();
    EXPECT_NEAR(mainFrame.x() + mainFrame.width() / 2.0, screen.width() / 2.0, 1.0);
    EXPECT_NEAR(mainFrame.y() + mainFrame.height() / 2.0, screen.height() / 2.0, 1.0);
    EXPECT_NEAR(adapterFrame.x() - mainFrame.x(), 5490 / 60.0 / 15, 1.0);
    EXPECT_NEAR(adapterFrame.y() - mainFrame.y(), 2940 / 7.0 / 15, 1.0);
    clickIn(first, kAdapterInfoButton);
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(desktop->windowsNamed(kAdapterTitle), std::vector<std::string>{adapterInfo});

    // Reload: a new main window that gathers again; Adapter Info stays.
    clickIn(first, kReloadButton);
    const std::string second = mainWindowAfterGathering(1);
    EXPECT_NE(second, first) << "Reload builds a new window";
    EXPECT_EQ(internet.addresses(), 2) << "Reload fetches the address again";
    EXPECT_EQ(desktop->windowsNamed(kMainTitle), std::vector<std::string>{second});
    EXPECT_EQ(desktop->windowsNamed(kAdapterTitle), std::vector<std::string>{adapterInfo});
    // Set to a folder, this saves a picture of the desktop at this point.
    if (const char* folder = std::getenv("LUMENFOLD_SCREENSHOTS"))
        shell("DISPLAY=" + desktop->display() + " import -window root '" + folder + "/desktop-adapter-info.png'");

    // The WAN label opens the address page with the browser.
    clickIn(second, kWanLabel);
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(opened); })) << "xdg-open was not started";
    EXPECT_EQ(openedText(), "1\n" + std::string(app::kWanPageUrl) + "\n");

    // Closing the main window leaves the program running for Adapter Info;
    // closing that ends it.
    closeByTheUser(second);
    ASSERT_TRUE(eventually([&] { return desktop->windowsNamed(kMainTitle).empty(); })) << "main window not closed\n" << desktop->describe();
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(program->running()) << "the program ended with Adapter Info still open";
    EXPECT_EQ(desktop->windowsNamed(kAdapterTitle), std::vector<std::string>{adapterInfo}) << desktop->describe();
    closeByTheUser(adapterInfo);
    EXPECT_EQ(program->wait(10s), std::optional<int>(0)) << "the program did not end with its last window";
}

TEST_F(Desktop, WindowKeepsServingWhileTheProbeSiteStalls) {
    SilentSocket probeSite = stallingProbeSite();
    ASSERT_TRUE(probeSite.ok()) << "could not listen on 127.0.0.2:80 inside " << host->name();
    auto bus = accessibilityBus();
    ASSERT_TRUE(bus);
    startProgram(bus->environment());
    const std::string window = windowOnScreen(kMainTitle);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(eventually([&] { return probeIsWaiting(); })) << "the probe did not reach the site";
    std::this_thread::sleep_for(300ms);  // what the tick drew before the probe is painted

    // During the probe: the window paints, and a screen reader is answered.
    EXPECT_TRUE(repaintsAfterBeingUncovered(window));
    const auto answered = accessibilityAnswerTime(*bus);
    ASSERT_TRUE(answered) << "no answer to an accessibility query";
    EXPECT_LT(*answered, 1s);
    // A click on the home-page button is held until the tick has ended.
    clickIn(window, kAboutTab);
    clickIn(window, kHomePageButton);
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(probeIsWaiting()) << "the probe ended early";
    EXPECT_FALSE(std::filesystem::exists(opened)) << "the browser started inside the tick";
    // The site resets the connection: the probe fails, the tick ends.
    probeSite.close();
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(opened); }, 5s)) << "the held click was lost";
    EXPECT_EQ(openedText(), "1\n" + std::string(app::kHomePageUrl) + "\n");
    EXPECT_TRUE(program->running());
}

TEST_F(Desktop, ClosingTheWindowWhileTheProbeSiteStallsEndsTheProgramAtOnce) {
    SilentSocket probeSite = stallingProbeSite();
    ASSERT_TRUE(probeSite.ok()) << "could not listen on 127.0.0.2:80 inside " << host->name();
    startProgram();
    const std::string window = windowOnScreen(kMainTitle);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(eventually([&] { return probeIsWaiting(); })) << "the probe did not reach the site";

    const auto closed = std::chrono::steady_clock::now();
    closeByTheUser(window);
    EXPECT_EQ(program->wait(1s), std::optional<int>(0)) << "the program did not end within a second";
    EXPECT_LT(std::chrono::steady_clock::now() - closed, 1500ms);
}

TEST_F(Desktop, AdapterInfoKeepsServingWhileAReloadWaitsForTheAddress) {
    internet.holdAddressesAfter(1);
    auto bus = accessibilityBus();
    ASSERT_TRUE(bus);
    startProgram(bus->environment());
    const std::string first = mainWindowAfterGathering(0);
    ASSERT_FALSE(first.empty());
    clickIn(first, kAdapterInfoButton);
    const std::string adapterInfo = windowOnScreen(kAdapterTitle);
    ASSERT_FALSE(adapterInfo.empty());

    // Reload: the main window goes and its address fetch stalls.
    clickIn(first, kReloadButton);
    ASSERT_TRUE(eventually([&] { return internet.addresses() == 2; })) << "Reload did not fetch the address";
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(desktop->windowsNamed(kMainTitle).empty()) << "a main window is shown before its fetch ended";
    EXPECT_TRUE(repaintsAfterBeingUncovered(adapterInfo));
    const auto answered = accessibilityAnswerTime(*bus);
    ASSERT_TRUE(answered) << "no answer to an accessibility query";
    EXPECT_LT(*answered, 1s);

    // The address comes: the new main window gathers as usual.
    internet.release();
    const std::string second = mainWindowAfterGathering(1);
    ASSERT_FALSE(second.empty());
    closeByTheUser(second);
    closeByTheUser(adapterInfo);
    EXPECT_EQ(program->wait(10s), std::optional<int>(0));
}

}  // namespace
