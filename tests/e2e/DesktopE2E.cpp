// The real program on a desktop of the test's own (Xvfb and openbox), in a
// network namespace whose hosts file points the product's fixed host names
// at a local server: the user's clicks come from xdotool, and what appears
// is read back by window caption.
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/Identity.h"
#include "probes/Connectivity.h"
#include "probes/PublicAddress.h"
#include "tests/support/Desktop.h"
#include "tests/support/Fakes.h"
#include "tests/support/HttpServer.h"
#include "tests/support/Netns.h"
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

// Both services behind one local address: the address service answers the
// served address, the probe site a page; the requests are counted.
struct LocalInternet {
    std::mutex mutex;
    int addressRequests = 0;
    int probeRequests = 0;

    std::function<void(httplib::Server&)> routes() {
        return [this](httplib::Server& s) {
            s.Get("/", [this](const httplib::Request& request, httplib::Response& response) {
                std::lock_guard lock(mutex);
                if (request.get_header_value("Host") == hostOf(probes::kProbeUrl)) {
                    ++probeRequests;
                    response.set_content("<html><body>Example Domain</body></html>", "text/html");
                } else {
                    ++addressRequests;
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
        program.reset();
        desktop.reset();
        server.reset();
        host.reset();
        std::filesystem::remove_all(scratch);
    }

    void startProgram() {
        const std::string path = bin.string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
        program.emplace(std::vector<std::string>{"ip", "netns", "exec", host->name(), "env", "-u", "http_proxy", "-u",
                                                 "HTTP_PROXY", "-u", "all_proxy", "-u", "ALL_PROXY", "-u",
                                                 "QT_QPA_PLATFORM", "DISPLAY=" + desktop->display(), "PATH=" + path,
                                                 LUMENFOLD_EXECUTABLE},
                        std::vector<std::string>{});
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

    std::string openedText() const {
        std::ifstream file(opened);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

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

}  // namespace
