// The terminal front end end to end: the real program, with no display,
// inside network namespaces built here, the product's host names pointed
// at servers of the test's own.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QStringDecoder>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "probes/Connectivity.h"
#include "probes/PublicAddress.h"
#include "tests/support/Desktop.h"
#include "tests/support/Fakes.h"
#include "tests/support/HttpServer.h"
#include "tests/support/Netns.h"

using testing_support::ChildProcess;
using testing_support::HttpServer;
using testing_support::Netns;

namespace {

constexpr const char* kServedAddress = "203.0.113.45";

std::string hostOf(const char* url) { return QUrl(QString::fromLatin1(url)).host().toStdString(); }
const std::string kProbeHost = hostOf(probes::kProbeUrl);
const std::string kAddressHost = hostOf(probes::kPublicAddressUrl);

HttpServer::Options on(const std::string& address, const Netns& ns) {
    HttpServer::Options options;
    options.host = address;
    options.port = 80;
    options.netns = ns.name();
    options.lifetime = std::chrono::seconds(90);
    return options;
}

std::function<void(httplib::Server&)> answering(std::string body) {
    return [body](httplib::Server& s) {
        s.Get("/", [body](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, "text/plain");
        });
    };
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs the program with no display and no proxy, in `ns` when given.
Outcome run(const std::string& arguments, const Netns* ns = nullptr) {
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("lf-terminal-" + std::to_string(getpid()));
    const std::string out = scratch.string() + ".out", err = scratch.string() + ".err";
    Outcome result;
    result.status = testing_support::shell(
        "env -u DISPLAY -u WAYLAND_DISPLAY -u http_proxy -u HTTP_PROXY -u all_proxy -u ALL_PROXY " +
        (ns ? ns->exec() : std::string()) + "'" LUMENFOLD_EXECUTABLE "' " + arguments + " >'" + out + "' 2>'" + err +
        "'");
    result.out = testing_support::readText(out);
    result.err = testing_support::readText(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

QJsonObject parsedObject(const std::string& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return document.object();
}

std::string field(const QJsonObject& object, const char* name) {
    return object.value(QLatin1String(name)).toString().toStdString();
}

// A client on a veth link whose default route leads to a second namespace;
// the two services answer there, on addresses only that route reaches.
struct RoutedClient {
    Netns client{"tcl"};
    Netns upstream{"tup"};
    RoutedClient() {
        Netns::link(client, "10.78.0.2/24", upstream, "10.78.0.1/24");
        upstream.ip("addr add 198.51.100.1/32 dev lo");
        upstream.ip("addr add 198.51.100.3/32 dev lo");
        client.ip("route add default via 10.78.0.1");
        client.setHosts({{kAddressHost, "198.51.100.1"}, {kProbeHost, "198.51.100.3"}});
    }
};

class Terminal : public ::testing::Test {
protected:
    void SetUp() override { LUMENFOLD_SKIP_WITHOUT_NETNS(); }
};

}  // namespace

TEST(TerminalConventions, AnswersHelpVersionAndAWrongOptionWithoutADisplay) {
    const Outcome help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: lumenfold", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");

    const Outcome version = run("-V");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Lumenfold 1.5\n");

    const Outcome wrong = run("--report --bogus");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 1) << wrong.err;
    EXPECT_NE(wrong.err.find("--bogus"), std::string::npos) << wrong.err;
}

TEST_F(Terminal, ReportsARoutedClientAsTheWindowShowsIt) {
    RoutedClient net;
    auto address = std::make_unique<HttpServer>(answering(kServedAddress), on("198.51.100.1", net.upstream));
    auto probe = std::make_unique<HttpServer>(answering("<html></html>"), on("198.51.100.3", net.upstream));
    ASSERT_TRUE(address->ok() && probe->ok());

    const Outcome plain = run("--report", &net.client);
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out,
              "Status:    LAN And WAN - Online\n"
              "WAN:       203.0.113.45\n"
              "LAN:       10.78.0.2\n"
              "Localhost: 127.0.0.1\n");
    EXPECT_EQ(run("-q", &net.client).out, "");

    const Outcome json = run("--json", &net.client);
    EXPECT_EQ(json.status, 0) << json.err;
    const QJsonObject object = parsedObject(json.out);
    EXPECT_EQ(field(object, "state"), "lan-and-wan-online");
    EXPECT_EQ(field(object, "status"), "LAN And WAN - Online");
    EXPECT_EQ(field(object, "wan"), kServedAddress);
    EXPECT_EQ(field(object, "lan"), "10.78.0.2");
    EXPECT_EQ(field(object, "localhost"), "127.0.0.1");
    bool listed = false;
    for (const QJsonValue adapter : object.value(QStringLiteral("adapters")).toArray())
        if (adapter[QStringLiteral("address")].toString() == QStringLiteral("10.78.0.2"))
            listed = adapter[QStringLiteral("gateway")].toString() == QStringLiteral("10.78.0.1");
    EXPECT_TRUE(listed) << json.out;

    // The probe site goes down: online no longer, the WAN address no longer applies.
    probe.reset();
    const Outcome offline = run("--json", &net.client);
    EXPECT_EQ(offline.status, 1);
    EXPECT_EQ(field(parsedObject(offline.out), "state"), "lan-only-offline");
    EXPECT_EQ(field(parsedObject(offline.out), "wan"), "Null");
    EXPECT_EQ(run("-q", &net.client).status, 1);
}

TEST_F(Terminal, ReportsLoopbackOnlyStatesAndAnyAdapterNameAsValidJson) {
    Netns alone("tlo");
    alone.setHosts({{kAddressHost, "127.0.0.1"}, {kProbeHost, "127.0.0.1"}});
    // A name the kernel takes but that is no UTF-8, with a control byte.
    alone.ip("link add name \"$(printf 'lf\\377\\001x')\" type veth peer name lfpeer");

    Outcome offline = run("--json", &alone);
    EXPECT_EQ(offline.status, 1) << offline.err;
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = strict.decode(QByteArray::fromStdString(offline.out));
    EXPECT_FALSE(strict.hasError()) << "not UTF-8: " << offline.out;
    const QJsonObject object = parsedObject(offline.out);
    EXPECT_EQ(field(object, "state"), "offline");
    EXPECT_EQ(field(object, "wan"), "Null");
    EXPECT_EQ(field(object, "lan"), "Null");
    QStringList names;
    for (const QJsonValue adapter : object.value(QStringLiteral("adapters")).toArray())
        names += adapter[QStringLiteral("name")].toString();
    EXPECT_TRUE(names.contains(QStringLiteral("lf\ufffd\u0001x"))) << offline.out;

    HttpServer both(answering(kServedAddress), on("127.0.0.1", alone));
    ASSERT_TRUE(both.ok());
    const Outcome online = run("--report", &alone);
    EXPECT_EQ(online.status, 0) << online.err;
    EXPECT_EQ(online.out,
              "Status:    WAN Only - Online\n"
              "WAN:       203.0.113.45\n"
              "LAN:       Null\n"
              "Localhost: 127.0.0.1\n");
}

namespace {

// The lines a watch has printed so far.
std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

bool within(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Times the process's threads have been woken up so far.
long wakeUps(pid_t pid) {
    long total = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::istringstream status(testing_support::readText(task.path().string() + "/status"));
        for (std::string line; std::getline(status, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                total += std::stol(line.substr(line.find(':') + 1));
    }
    return total;
}

}  // namespace

TEST_F(Terminal, WatchFollowsTheDefaultRouteAndIsStillBetweenChanges) {
    RoutedClient net;
    HttpServer address(answering(kServedAddress), on("198.51.100.1", net.upstream));
    HttpServer probe(answering("<html></html>"), on("198.51.100.3", net.upstream));
    ASSERT_TRUE(address.ok() && probe.ok());

    const std::string out = (std::filesystem::temp_directory_path() / (net.client.name() + ".watch")).string();
    ChildProcess watch({"sh", "-c",
                        "exec env -u DISPLAY -u WAYLAND_DISPLAY -u http_proxy -u HTTP_PROXY -u all_proxy -u ALL_PROXY " +
                            net.client.exec() + "'" LUMENFOLD_EXECUTABLE "' --watch --json >'" + out + "'"});
    const auto stateOfLine = [&](std::size_t n) {
        const auto lines = linesOf(out);
        return lines.size() > n ? field(parsedObject(lines[n]), "state") : std::string();
    };
    ASSERT_TRUE(within(std::chrono::seconds(10), [&] { return linesOf(out).size() >= 1; })) << "no first report";
    EXPECT_EQ(stateOfLine(0), "lan-and-wan-online");
    EXPECT_EQ(field(parsedObject(linesOf(out)[0]), "class"), "lan-and-wan-online");

    // Nothing changes: no report, and the program sleeps.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long before = wakeUps(watch.pid());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(wakeUps(watch.pid()), before);
    EXPECT_EQ(linesOf(out).size(), 1u);

    net.client.ip("route del default");
    EXPECT_TRUE(within(std::chrono::seconds(2), [&] { return linesOf(out).size() >= 2; }))
        << "no report within 2 s of the default route going";
    EXPECT_EQ(stateOfLine(1), "lan-only-offline");

    net.client.ip("route add default via 10.78.0.1");
    EXPECT_TRUE(within(std::chrono::seconds(2), [&] { return linesOf(out).size() >= 3; }))
        << "no report within 2 s of the default route coming back";
    EXPECT_EQ(stateOfLine(2), "lan-and-wan-online");

    kill(watch.pid(), SIGTERM);
    EXPECT_EQ(watch.wait(std::chrono::seconds(1)), std::optional<int>(0));
    EXPECT_EQ(linesOf(out).size(), 3u);
    std::filesystem::remove(out);
}
