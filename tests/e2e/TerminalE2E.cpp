// The terminal front end end to end: the real program, with no display,
// inside network namespaces built here, the product's host names pointed
// at servers of the test's own.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "probes/Connectivity.h"
#include "probes/PublicAddress.h"
#include "tests/support/Desktop.h"
#include "tests/support/Fakes.h"
#include "tests/support/HttpServer.h"
#include "tests/support/Netns.h"

using testing_support::HttpServer;
using testing_support::Netns;

namespace {

std::string hostOf(const char* url) { return QUrl(QString::fromLatin1(url)).host().toStdString(); }

// Both services answer `203.0.113.45` on port 80 of `address` in `ns`.
std::unique_ptr<HttpServer> servicesOn(const std::string& address, const Netns& ns) {
    HttpServer::Options options{address, 80, ns.name(), std::chrono::seconds(90)};
    return std::make_unique<HttpServer>(
        [](httplib::Server& s) {
            s.Get("/", [](const httplib::Request&, httplib::Response& r) { r.set_content("203.0.113.45", "text/plain"); });
        },
        options);
}

const std::string kCommand = "env -u DISPLAY -u WAYLAND_DISPLAY -u http_proxy -u HTTP_PROXY -u all_proxy -u ALL_PROXY ";

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs the program with no display and no proxy, in `ns` when given.
Outcome run(const std::string& arguments, const Netns* ns = nullptr) {
    const std::string files = std::filesystem::temp_directory_path() / ("lf-terminal-" + std::to_string(getpid()));
    Outcome result;
    result.status = testing_support::shell(kCommand + (ns ? ns->exec() : "") + "'" LUMENFOLD_EXECUTABLE "' " +
                                           arguments + " >'" + files + ".out' 2>'" + files + ".err'");
    result.out = testing_support::readText(files + ".out");
    result.err = testing_support::readText(files + ".err");
    return result;
}

QJsonObject parsed(const std::string& json) {
    QJsonParseError error{};
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return object;
}
std::string field(const std::string& json, const char* name) {
    return parsed(json).value(QLatin1String(name)).toString().toStdString();
}

bool within(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    for (const auto deadline = std::chrono::steady_clock::now() + limit; !done();) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Times the process's main thread, which runs the event loop, has been
// woken up so far. (A sanitizer's own thread wakes up on its own.)
long wakeUps(pid_t pid) {
    long total = 0;
    std::istringstream status(testing_support::readText("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);)
        if (line.find("ctxt_switches:") != std::string::npos) total += std::stol(line.substr(line.find(':') + 1));
    return total;
}

class Terminal : public ::testing::Test {
protected:
    void SetUp() override { LUMENFOLD_SKIP_WITHOUT_NETNS(); }
};

}  // namespace

TEST(TerminalConventions, AnswersHelpVersionAndAWrongOptionWithoutADisplay) {
    const Outcome help = run("--help"), version = run("-V"), wrong = run("--report --bogus");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: lumenfold", 0), 0u) << help.out;
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Lumenfold 1.5\n");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 1) << wrong.err;
    EXPECT_NE(wrong.err.find("--bogus"), std::string::npos) << wrong.err;
}

// A client on a veth link whose default route leads to a second namespace,
// where the services answer on an address only that route reaches. The
// report and the watch across the route going and coming back.
TEST_F(Terminal, ReportsARoutedClientAndWatchesItsDefaultRoute) {
    Netns client("tcl"), upstream("tup");
    Netns::link(client, "10.78.0.2/24", upstream, "10.78.0.1/24");
    upstream.ip("addr add 198.51.100.1/32 dev lo");
    client.ip("route add default via 10.78.0.1");
    client.setHosts({{hostOf(probes::kPublicAddressUrl), "198.51.100.1"}, {hostOf(probes::kProbeUrl), "198.51.100.1"}});
    const auto services = servicesOn("198.51.100.1", upstream);
    ASSERT_TRUE(services->ok());

    const Outcome plain = run("--report", &client);
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out,
              "Status:    LAN And WAN - Online\nWAN:       203.0.113.45\nLAN:       10.78.0.2\nLocalhost: 127.0.0.1\n");
    const std::string json = run("--json", &client).out;
    EXPECT_EQ(field(json, "state"), "lan-and-wan-online");
    EXPECT_EQ(field(json, "status"), "LAN And WAN - Online");
    EXPECT_EQ(field(json, "wan"), "203.0.113.45");
    EXPECT_EQ(field(json, "localhost"), "127.0.0.1");
    const auto adapters = parsed(json).value(QStringLiteral("adapters")).toArray();
    EXPECT_TRUE(std::any_of(adapters.begin(), adapters.end(), [](const QJsonValue& a) {
        return a[QStringLiteral("address")] == QStringLiteral("10.78.0.2") &&
               a[QStringLiteral("gateway")] == QStringLiteral("10.78.0.1");
    })) << json;

    const std::string out = std::filesystem::temp_directory_path() / (client.name() + ".watch");
    testing_support::ChildProcess watch(
        {"sh", "-c", "exec " + kCommand + client.exec() + "'" LUMENFOLD_EXECUTABLE "' --watch --json >'" + out + "'"});
    const auto lines = [&] {
        std::ifstream file(out);
        std::vector<std::string> read;
        for (std::string line; std::getline(file, line);) read.push_back(line);
        return read;
    };
    ASSERT_TRUE(within(std::chrono::seconds(10), [&] { return lines().size() == 1; })) << "no first report";
    EXPECT_EQ(field(lines()[0], "class"), "lan-and-wan-online");

    // Nothing changes: no report, and the program does not even wake up.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long before = wakeUps(watch.pid());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(wakeUps(watch.pid()), before);
    EXPECT_EQ(lines().size(), 1u);

    client.ip("route del default");
    EXPECT_TRUE(within(std::chrono::seconds(2), [&] { return lines().size() == 2; })) << "none 2 s after the route went";
    EXPECT_EQ(field(lines().back(), "state"), "lan-only-offline");
    EXPECT_EQ(field(lines().back(), "wan"), "Null");
    const Outcome quiet = run("-q", &client);
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "");

    client.ip("route add default via 10.78.0.1");
    EXPECT_TRUE(within(std::chrono::seconds(2), [&] { return lines().size() == 3; })) << "none 2 s after it came back";
    EXPECT_EQ(field(lines().back(), "state"), "lan-and-wan-online");

    kill(watch.pid(), SIGTERM);
    EXPECT_EQ(watch.wait(std::chrono::seconds(1)), std::optional<int>(0));
    std::filesystem::remove(out);
}

TEST_F(Terminal, ReportsLoopbackOnlyStatesAndAnyAdapterNameAsValidJson) {
    Netns alone("tlo");
    alone.setHosts({{hostOf(probes::kPublicAddressUrl), "127.0.0.1"}, {hostOf(probes::kProbeUrl), "127.0.0.1"}});
    // A name the kernel takes but that is no UTF-8, with a control byte.
    alone.ip("link add name \"$(printf 'lf\\377\\001x')\" type veth peer name lfpeer");

    const Outcome offline = run("--json", &alone);
    EXPECT_EQ(offline.status, 1) << offline.err;
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)strict.decode(QByteArray::fromStdString(offline.out));
    EXPECT_FALSE(strict.hasError()) << "not UTF-8: " << offline.out;
    EXPECT_EQ(field(offline.out, "state"), "offline");
    EXPECT_EQ(field(offline.out, "wan"), "Null");
    EXPECT_EQ(field(offline.out, "lan"), "Null");
    const auto adapters = parsed(offline.out).value(QStringLiteral("adapters")).toArray();
    EXPECT_TRUE(std::any_of(adapters.begin(), adapters.end(), [](const QJsonValue& a) {
        return a[QStringLiteral("name")] == QStringLiteral("lf\ufffd\u0001x");
    })) << offline.out;

    const auto services = servicesOn("127.0.0.1", alone);
    ASSERT_TRUE(services->ok());
    const Outcome online = run("--report", &alone);
    EXPECT_EQ(online.status, 0) << online.err;
    EXPECT_EQ(online.out, "Status:    WAN Only - Online\nWAN:       203.0.113.45\nLAN:       Null\nLocalhost: 127.0.0.1\n");
}
