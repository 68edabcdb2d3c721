// The real main window natively on a Wayland compositor of the test's own
// (weston, headless), in a network namespace whose hosts file points the
// product's host names at a local server. The runner (WindowRunner.cpp)
// presses the buttons and makes the title bar's requests; what the
// compositor shows is read from its scene graph.
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/linux/Displays.h"
#include "probes/Connectivity.h"
#include "probes/PublicAddress.h"
#include "tests/support/Desktop.h"
#include "tests/support/Fakes.h"
#include "tests/support/HttpServer.h"
#include "tests/support/Netns.h"

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

constexpr const char* kServedAddress = "203.0.113.62";
const std::string kMainTitle = "{Qor} Lumenfold v1.5";
const std::string kAdapterTitle = "Adapter Info";

std::string hostOf(const char* url) { return QUrl(QString::fromLatin1(url)).host().toStdString(); }

class Wayland : public ::testing::Test {
protected:
    void SetUp() override {
        LUMENFOLD_SKIP_WITHOUT_NETNS();
        host.emplace("wl");
        host->setHosts({{hostOf(probes::kPublicAddressUrl), "127.0.0.1"}, {hostOf(probes::kProbeUrl), "127.0.0.1"}});
        server.emplace(
            [](httplib::Server& s) {
                s.Get("/", [](const httplib::Request& request, httplib::Response& response) {
                    const bool probe = request.get_header_value("Host") == hostOf(probes::kProbeUrl);
                    response.set_content(probe ? "<html></html>" : kServedAddress, "text/html");
                });
            },
            HttpServer::Options{.host = "127.0.0.1", .port = 80, .netns = host->name(), .lifetime = 100s});
        ASSERT_TRUE(server->ok()) << "could not listen on port 80 inside " << host->name();
        std::filesystem::create_directories(steps);
        weston.emplace(scratch / "runtime", 1024, 768);
        // Mesa's EGL, which Qt's Wayland plug-in loads and unloads, has no
        // frame pointers: a sanitizer build unwinds fully, so that
        // tools/lsan.supp can name the libraries that keep their memory.
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::string environment = " 'ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":fast_unwind_on_malloc=0'";
        for (const std::string& entry : weston->environment()) environment += " '" + entry + "'";
        runner.emplace(std::vector<std::string>{
            "sh", "-c",
            "exec " + host->exec() + "env -u DISPLAY -u http_proxy -u all_proxy -u ALL_PROXY" + environment +
                " QT_QPA_PLATFORM=wayland '" LUMENFOLD_E2E_WINDOW "' --steps '" + steps.string() + "' >'" +
                (steps / "shown").string() + "' 2>'" + (steps / "stderr").string() + "'"});
    }

    void TearDown() override {
        runner.reset();
        weston.reset();
        server.reset();
        host.reset();
        std::filesystem::remove_all(scratch);
    }

    // Has the runner carry out `command`; answers its reply, or what it said
    // on its way out.
    std::string step(const std::string& command) {
        const std::string number = std::to_string(++steps_) + " ";
        std::ofstream(steps / "command.part") << number << command << "\n";
        std::filesystem::rename(steps / "command.part", steps / "command");
        for (int attempt = 0; attempt < 200 && runner->running(); ++attempt) {
            const std::string done = readText((steps / "done").string());
            if (done.rfind(number, 0) == 0) return done.substr(number.size(), done.find('\n') - number.size());
            std::this_thread::sleep_for(50ms);
        }
        return "ended: " + readText((steps / "stderr").string());
    }
    // The titles of the windows on screen, topmost first.
    std::string stacking() const {
        std::string titles;
        for (const auto& window : weston->windows()) titles += (titles.empty() ? "" : ", ") + window.title;
        return titles;
    }

    std::optional<Netns> host;
    std::optional<HttpServer> server;
    std::optional<HeadlessWeston> weston;
    std::optional<ChildProcess> runner;
    std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("lumenfold-wayland-" + std::to_string(getpid()));
    std::filesystem::path steps = scratch / "steps";
    int steps_ = 0;
};

TEST_F(Wayland, NativeWindowShowsTheReadOutsComesForwardAndSurvivesAMaximiseRequest) {
    std::string shown;
    for (int attempt = 0; attempt < 600 && shown.find("chkred=") == std::string::npos; ++attempt) {
        std::this_thread::sleep_for(100ms);
        shown = readText((steps / "shown").string());
    }
    EXPECT_NE(shown.find("\nLAN=Null\nWAN=" + std::string(kServedAddress) + "\ntxtLocal=127.0.0.1\n"),
              std::string::npos)
        << shown << readText((steps / "stderr").string());

    // On screen under its desktop entry's name, which docks show it by.
    const auto windows = weston->windows();
    ASSERT_EQ(windows.size(), 1u) << stacking();
    EXPECT_EQ(windows[0].title, kMainTitle);
    EXPECT_EQ(windows[0].appId, "net.lumenfold.Lumenfold");

    // Adapter Info opens on top; covered by the main window and asked for
    // again, it comes forward, once (weston 10 offers no xdg-activation).
    const std::string size = step("adapter-info");
    EXPECT_EQ(stacking(), kAdapterTitle + ", " + kMainTitle);
    step("cover");
    ASSERT_EQ(stacking(), kMainTitle + ", " + kAdapterTitle);
    step("adapter-info");
    EXPECT_EQ(stacking(), kAdapterTitle + ", " + kMainTitle);

    // Maximised by the title bar's request, the fixed window stays at its
    // size and the program goes on.
    EXPECT_EQ(step("maximize"), size);
    for (const auto& window : weston->windows()) {
        if (window.title == kMainTitle) {
            EXPECT_EQ(window.area.size(), windows[0].area.size());
        }
    }
    step("quit");
    EXPECT_EQ(runner->wait(10s), std::optional<int>(0));
}

// The output scale the display choice rests on, as the compositor tells it:
// 1 at normal size, 2 when weston draws its output at twice the size.
TEST(WaylandScale, TheProbeReadsTheCompositorsOutputScale) {
    if (const std::string why = desktopUnavailableReason(); !why.empty()) GTEST_SKIP() << why;
    const std::filesystem::path runtime =
        std::filesystem::temp_directory_path() / ("lumenfold-scale-" + std::to_string(getpid()));
    for (int scale : {1, 2}) {
        HeadlessWeston weston(runtime / std::to_string(scale), 640, 480, scale);
        EXPECT_EQ(platform::gnulinux::waylandOutputScale(weston.socketPath()), scale);
    }
    EXPECT_EQ(platform::gnulinux::waylandOutputScale((runtime / "nobody").string()), 0);
    std::filesystem::remove_all(runtime);
}

}  // namespace
