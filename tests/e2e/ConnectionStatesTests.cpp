// The four connection states end to end: the real window with the real
// services, run inside network namespaces built here, with the product's
// fixed host names pointed at servers of the test's own.
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include "app/Identity.h"
#include "probes/Connectivity.h"
#include "probes/PublicAddress.h"
#include "tests/support/HttpServer.h"
#include "tests/support/Netns.h"
#include "toolkit/Twips.h"

using testing_support::HttpServer;
using testing_support::Netns;

namespace {

constexpr const char* kServedAddress = "203.0.113.45";

std::string hostOf(const char* url) { return QUrl(QString::fromLatin1(url)).host().toStdString(); }
const std::string kProbeHost = hostOf(probes::kProbeUrl);
const std::string kAddressHost = hostOf(probes::kPublicAddressUrl);

// The little internet the client sees: the probe site and the address
// service, apart or behind one address.
struct Internet {
    enum class Serve { ProbeSite, AddressService, Both };

    std::mutex mutex;
    std::vector<std::string> probeAgents;
    int addressRequests = 0;

    std::function<void(httplib::Server&)> routes(Serve serve) {
        return [this, serve](httplib::Server& s) {
            s.Get("/", [this, serve](const httplib::Request& request, httplib::Response& response) {
                const bool asProbe = serve == Serve::ProbeSite ||
                                     (serve == Serve::Both && request.get_header_value("Host") == kProbeHost);
                std::lock_guard lock(mutex);
                if (asProbe) {
                    probeAgents.push_back(request.get_header_value("User-Agent"));
                    response.set_content("<html><body>Example Domain</body></html>", "text/html");
                } else {
                    ++addressRequests;
                    response.set_content(kServedAddress, "text/plain");
                }
            });
        };
    }

    static HttpServer::Options on(const std::string& address, const Netns& ns) {
        HttpServer::Options options;
        options.host = address;
        options.port = 80;
        options.netns = ns.name();
        options.lifetime = std::chrono::seconds(90);
        return options;
    }
};

// What the window showed once its cycle had run, by control.
using Shown = std::map<std::string, std::string>;

Shown runWindowIn(const Netns& ns, const std::string& state) {
    std::string command =
        "env -u http_proxy -u HTTP_PROXY -u https_proxy -u HTTPS_PROXY -u all_proxy -u ALL_PROXY " + ns.exec() +
        "'" LUMENFOLD_E2E_WINDOW "'";
    // Set to a folder, this also saves a picture of the window per state.
    if (const char* folder = std::getenv("LUMENFOLD_SCREENSHOTS"))
        command += " --grab '" + std::string(folder) + "/state-" + state + ".png'";
    // The runner's own diagnostics (a sanitizer's report, say) go to a file
    // and come back as "stderr" when it does not end cleanly.
    const std::filesystem::path errors = std::filesystem::temp_directory_path() / (ns.name() + ".stderr");
    std::istringstream lines(
        testing_support::capture(command + " 2>'" + errors.string() + "'; echo \"exit=$?\""));
    Shown shown;
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) shown[line.substr(0, equals)] = line.substr(equals + 1);
    }
    if (shown["exit"] != "0") {
        std::ifstream file(errors);
        shown["stderr"].assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(errors);
    return shown;
}

std::string lamp(int value, const char* caption, float top) {
    std::ostringstream text;
    text << value << "|" << caption << "|" << toolkit::toTwips(toolkit::toPixels(top)) << "|shown";
    return text.str();
}

// What the window shows in each state once its cycle has run: the two
// status texts, the two addresses and the three lamps.
struct StateRow {
    std::string state;  // also names the state's screenshot
    std::string txtStatus, txtStatus2, lan, wan;
    std::string green, yellow, red;
};

const StateRow& rowFor(const std::string& state) {
    static const std::vector<StateRow> rows = {
        {"lan-and-wan-online", "LAN And WAN - Online", "online", "10.77.0.2", kServedAddress, lamp(0, "Online", 1720),
         lamp(0, "WAN/LAN", 1720), lamp(1, "", 1710)},
        {"lan-only-offline", "LAN Only - Offline", "Offline", "10.77.0.2", "Null", lamp(1, "", 1710),
         lamp(0, "LAN Only", 1720), lamp(0, "Offline", 1720)},
        {"offline", "Offline", "Offline", "Null", "Null", lamp(1, "", 1700), lamp(1, "", 1700),
         lamp(0, "Offline", 1720)},
        {"wan-only-online", "WAN Only - Online", "online", "Null", kServedAddress, lamp(0, "Online", 1720),
         lamp(0, "WAN Only", 1720), lamp(1, "", 1700)},
    };
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const StateRow& r) { return r.state == state; });
    if (row == rows.end()) throw std::invalid_argument("no row for state " + state);
    return *row;
}

class ConnectionStates : public ::testing::Test {
protected:
    void SetUp() override {
        LUMENFOLD_SKIP_WITHOUT_NETNS();
    }

    // Runs the window in the namespace and checks what it shows against the
    // state's row; what a test checks besides comes after.
    static Shown runAndExpect(const Netns& ns, const std::string& state) {
        const StateRow& row = rowFor(state);
        Shown shown = runWindowIn(ns, state);
        expectRow(shown, row);
        return shown;
    }

    static void expectRow(const Shown& shown, const StateRow& row) {
        ASSERT_TRUE(shown.count("txtStatus")) << "the window did not finish its cycle";
        EXPECT_EQ(shown.at("exit"), "0") << shown.at("stderr");
        EXPECT_EQ(shown.count("error"), 0u) << shown.at("error");
        EXPECT_EQ(shown.at("txtStatusVisible"), "0");
        EXPECT_EQ(shown.at("txtLocal"), "127.0.0.1");
        EXPECT_EQ(shown.at("gathering"), "0");
        EXPECT_EQ(shown.at("txtStatus"), row.txtStatus);
        EXPECT_EQ(shown.at("txtStatus2"), row.txtStatus2);
        EXPECT_EQ(shown.at("LAN"), row.lan);
        EXPECT_EQ(shown.at("WAN"), row.wan);
        EXPECT_EQ(shown.at("chkgreen"), row.green);
        EXPECT_EQ(shown.at("chkyellow"), row.yellow);
        EXPECT_EQ(shown.at("chkred"), row.red);
    }

    Internet internet;
};

// A client host on a veth link whose default route leads to a second
// namespace, which answers for both host names on port 80.
struct RoutedClient {
    Netns client{"cli"};
    Netns upstream{"net"};
    RoutedClient() {
        const auto ends = Netns::link(client, "10.77.0.2/24", upstream, "10.77.0.1/24");
        upstream.ip("addr add 10.77.0.3/24 dev " + ends.second);
        client.ip("route add default via 10.77.0.1");
        client.setHosts({{kAddressHost, "10.77.0.1"}, {kProbeHost, "10.77.0.3"}});
    }
};

}  // namespace

TEST_F(ConnectionStates, RoutedClientWithBothServicesIsLanAndWanOnline) {
    RoutedClient net;
    HttpServer address(internet.routes(Internet::Serve::AddressService), Internet::on("10.77.0.1", net.upstream));
    HttpServer probe(internet.routes(Internet::Serve::ProbeSite), Internet::on("10.77.0.3", net.upstream));
    ASSERT_TRUE(address.ok() && probe.ok());

    Shown shown;
    ASSERT_NO_FATAL_FAILURE(shown = runAndExpect(net.client, "lan-and-wan-online"));
    EXPECT_EQ(shown.at("LAN"), testing_support::expectedLocalIp(net.client));

    std::lock_guard lock(internet.mutex);
    EXPECT_EQ(internet.addressRequests, 1);
    EXPECT_EQ(internet.probeAgents, std::vector<std::string>{app::kTitle});
}

TEST_F(ConnectionStates, RoutedClientWithTheProbeSiteDownIsLanOnlyOffline) {
    RoutedClient net;
    HttpServer address(internet.routes(Internet::Serve::AddressService), Internet::on("10.77.0.1", net.upstream));
    ASSERT_TRUE(address.ok());

    Shown shown;
    ASSERT_NO_FATAL_FAILURE(shown = runAndExpect(net.client, "lan-only-offline"));
    EXPECT_EQ(shown.at("LAN"), testing_support::expectedLocalIp(net.client));
    std::lock_guard lock(internet.mutex);
    EXPECT_EQ(internet.addressRequests, 1);
}

TEST_F(ConnectionStates, LoopbackOnlyWithoutServersIsOffline) {
    Netns alone("off");
    alone.setHosts({});
    EXPECT_EQ(testing_support::expectedLocalIp(alone), "127.0.0.1");

    ASSERT_NO_FATAL_FAILURE(runAndExpect(alone, "offline"));
}

TEST_F(ConnectionStates, LoopbackOnlyWithServersOnLoopbackIsWanOnlyOnline) {
    Netns alone("wan");
    alone.setHosts({{kAddressHost, "127.0.0.1"}, {kProbeHost, "127.0.0.1"}});
    HttpServer both(internet.routes(Internet::Serve::Both), Internet::on("127.0.0.1", alone));
    ASSERT_TRUE(both.ok());

    ASSERT_NO_FATAL_FAILURE(runAndExpect(alone, "wan-only-online"));
    std::lock_guard lock(internet.mutex);
    EXPECT_EQ(internet.addressRequests, 1);
    EXPECT_EQ(internet.probeAgents, std::vector<std::string>{app::kTitle});
}
