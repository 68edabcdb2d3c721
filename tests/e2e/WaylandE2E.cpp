// The real main window on a Wayland compositor of the test's own (weston,
// headless), natively, in a network namespace whose hosts file points the
// product's host names at a local server. A runner (WindowRunner.cpp)
// presses the buttons and makes the title bar's requests; what the
// compositor shows is read from its scene graph.
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

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
                    if (request.get_header_value("Host") == hostOf(probes::kProbeUrl))
                        response.set_content("<html><body>Example Domain</body></html>", "text/html");
                    else
                        response.set_content(kServedAddress, "text/plain");
                });
            },
            HttpServer::Options{.host = "127.0.0.1", .port = 80, .netns = host->name(), .lifetime = 100s});
        ASSERT_TRUE(server->ok()) << "could not listen on port 80 inside " << host->name();
        std::filesystem::create_directories(steps);
        // Both windows fit side by side; where they go is the compositor's choice.
        weston.emplace(scratch / "runtime", 1024, 768);
    }

    void TearDown() override {
        runner.reset();
        weston.reset();
        server.reset();
        host.reset();
        std::filesystem::remove_all(scratch);
    }

    void startRunner() {
        std::string environment;
        for (const std::string& entry : weston->environment()) environment += " '" + entry + "'";
        runner.emplace(std::vector<std::string>{
            "sh", "-c",
            "exec " + host->exec() + "env -u DISPLAY -u http_proxy -u HTTP_PROXY -u all_proxy -u ALL_PROXY" +
                environment + " QT_QPA_PLATFORM=wayland '" LUMENFOLD_E2E_WINDOW "' --steps '" + steps.string() +
                "' >'" + (steps / "shown").string() + "' 2>'" + (steps / "stderr").string() + "'"});
    }

    // What the window showed once its cycle had run, by control.
    std::map<std::string, std::string> shown() {
        std::map<std::string, std::string> values;
        for (int attempt = 0; attempt < 600 && runner->running(); ++attempt) {
            std::istringstream lines(readText((steps / "shown").string()));
            values.clear();
            for (std::string line; std::getline(lines, line);)
                if (const auto equals = line.find('='); equals != std::string::npos)
                    values[line.substr(0, equals)] = line.substr(equals + 1);
            if (values.count("chkred")) break;
            std::this_thread::sleep_for(100ms);
        }
        return values;
    }

    // Has the runner carry out `command`; answers its reply.
    std::string step(const std::string& command) {
        const int number = ++steps_;
        {
            std::ofstream file(steps / "command.part");
            file << number << " " << command << "\n";
        }
        std::filesystem::rename(steps / "command.part", steps / "command");
        const std::string prefix = std::to_string(number) + " ";
        for (int attempt = 0; attempt < 200 && runner->running(); ++attempt) {
            const std::string done = readText((steps / "done").string());
            if (done.rfind(prefix, 0) == 0) return done.substr(prefix.size(), done.find('\n') - prefix.size());
            std::this_thread::sleep_for(50ms);
        }
        return "no answer; stderr: " + readText((steps / "stderr").string());
    }

    std::string stacking() const {
        std::string text;
        for (const auto& window : weston->windows())
            text += "'" + window.title + "' (" + window.appId + ") " + std::to_string(window.area.width()) + "x" +
                    std::to_string(window.area.height()) + "\n";
        return text;
    }
    std::string topmost() const {
        const auto windows = weston->windows();
        return windows.empty() ? "" : windows.front().title;
    }
    std::optional<HeadlessWeston::Window> windowTitled(const std::string& title) const {
        for (const auto& window : weston->windows())
            if (window.title == title) return window;
        return std::nullopt;
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
    startRunner();
    const auto values = shown();
    ASSERT_TRUE(values.count("chkred")) << "the window did not finish its cycle; stderr: "
                                        << readText((steps / "stderr").string());
    EXPECT_EQ(values.at("WAN"), kServedAddress);
    EXPECT_EQ(values.at("LAN"), "Null");
    EXPECT_EQ(values.at("txtLocal"), "127.0.0.1");
    EXPECT_EQ(values.at("txtStatus"), "WAN Only - Online");

    // On screen under its desktop entry's name, which docks show it by.
    const auto main = windowTitled(kMainTitle);
    ASSERT_TRUE(main) << stacking();
    EXPECT_EQ(main->appId, "net.lumenfold.Lumenfold");

    // Adapter Info opens on top; covered by the main window and asked for
    // again, it comes forward (weston 10 offers no xdg-activation).
    ASSERT_EQ(step("adapter-info"), "ok");
    EXPECT_EQ(topmost(), kAdapterTitle) << stacking();
    ASSERT_EQ(step("cover"), "ok");
    ASSERT_EQ(topmost(), kMainTitle) << stacking();
    ASSERT_EQ(step("adapter-info"), "ok");
    EXPECT_EQ(topmost(), kAdapterTitle) << stacking();
    EXPECT_EQ(weston->windows().size(), 2u) << "asking again opens no second window\n" << stacking();

    // Maximised by the title bar's request, the fixed window stays at its
    // size and the program goes on.
    const std::string size = step("size");
    ASSERT_EQ(step("maximize"), "ok") << readText((steps / "stderr").string());
    EXPECT_EQ(step("size"), size);
    const auto after = windowTitled(kMainTitle);
    ASSERT_TRUE(after) << "the main window went\n" << stacking() << readText((steps / "stderr").string());
    EXPECT_EQ(after->area.size(), main->area.size());
    EXPECT_TRUE(runner->running());
    EXPECT_EQ(step("quit"), "no answer; stderr: " + readText((steps / "stderr").string()));
    EXPECT_EQ(runner->wait(10s), std::optional<int>(0));
}

}  // namespace
