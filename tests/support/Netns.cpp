#include "tests/support/Netns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>

namespace testing_support {

namespace {
std::atomic<int> counter{0};
}

int shell(const std::string& commandLine) {
    const int status = std::system(commandLine.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string capture(const std::string& commandLine) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(commandLine.c_str(), "r"), pclose);
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) out.append(buffer.data(), n);
    return out;
}

namespace {

// Runs a command line; answers whether it succeeded and what it printed,
// standard error included, on one line.
std::pair<bool, std::string> attempt(const std::string& commandLine) {
    std::string out = capture("{ " + commandLine + "; } 2>&1; echo \"=$?\"");
    const std::size_t statusAt = out.rfind('=');
    const bool ok = statusAt != std::string::npos && out.compare(statusAt, 2, "=0") == 0;
    out.erase(std::min(statusAt, out.size()));
    std::replace(out.begin(), out.end(), '\n', ' ');
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return {ok, out};
}

std::string probeNetns() {
    if (geteuid() != 0) return "network namespaces need root";
    if (shell("command -v ip >/dev/null 2>&1") != 0) return "'ip' is not installed (tools/setup.sh installs iproute2)";

    const std::string name = "lf-ready-" + std::to_string(getpid());
    const std::string marker = "lumenfold-netns-ready.test";
    const std::filesystem::path dir = "/etc/netns/" + name;
    const auto cleanUp = [&] {
        shell("ip netns del " + name + " >/dev/null 2>&1");
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    };
    cleanUp();

    std::string reason;
    if (const auto [added, out] = attempt("ip netns add " + name); !added) {
        reason = "'ip netns add' fails: " + out;
    } else if (std::error_code error; !std::filesystem::create_directories(dir, error) && error) {
        reason = "cannot write " + dir.string() + ": " + error.message();
    } else {
        std::ofstream(dir / "hosts") << "127.0.0.1 localhost\n192.0.2.1 " << marker << '\n';
        const auto [ran, seen] = attempt("ip netns exec " + name + " getent hosts " + marker);
        if (!ran || seen.find("192.0.2.1") == std::string::npos)
            reason = "'ip netns exec' cannot give a namespace its own hosts file: " +
                     (seen.empty() ? "a name written there does not resolve inside" : seen);
    }
    cleanUp();
    return reason;
}

}  // namespace

std::string netnsUnavailableReason() {
    // The answer cannot change while the program runs, and trying costs a
    // namespace, so it is found once.
    static const std::string reason = probeNetns();
    return reason;
}

bool netnsRequired() {
    const char* value = std::getenv("LUMENFOLD_REQUIRE_NETNS");
    return value != nullptr && std::string(value) == "1";
}

bool enterNetns(const std::string& name) {
    const std::string path = "/run/netns/" + name;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = setns(fd, CLONE_NEWNET) == 0;
    close(fd);
    return ok;
}

bool isInnerNetnsRun() { return std::getenv("LUMENFOLD_INNER_NETNS") != nullptr; }

int runSelfInside(const Netns& ns, const std::string& gtestFilter) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    return shell("LUMENFOLD_INNER_NETNS=" + ns.name() + " " + ns.exec() + "'" + self + "' --gtest_filter='" +
                 gtestFilter + "'");
}

Netns::Netns(const std::string& tag)
    : name_("lf-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++)) {
    shell("ip netns del " + name_ + " >/dev/null 2>&1");
    if (shell("ip netns add " + name_) != 0) throw std::runtime_error("cannot create namespace " + name_);
    ip("link set lo up");
}

Netns::~Netns() {
    shell("ip netns pids " + name_ + " 2>/dev/null | xargs -r kill -9 2>/dev/null");
    shell("ip netns del " + name_ + " >/dev/null 2>&1");
    std::error_code ignored;
    std::filesystem::remove_all("/etc/netns/" + name_, ignored);
}

void Netns::ip(const std::string& args) const {
    const std::string command = "ip -n " + name_ + " " + args;
    if (shell(command) != 0) throw std::runtime_error("failed: " + command);
}

void Netns::setHosts(const std::map<std::string, std::string>& nameToAddress) const {
    const std::filesystem::path dir = "/etc/netns/" + name_;
    std::filesystem::create_directories(dir);
    std::ofstream hosts(dir / "hosts");
    hosts << "127.0.0.1 localhost\n";
    for (const auto& [host, address] : nameToAddress) hosts << address << ' ' << host << '\n';
}

std::pair<std::string, std::string> Netns::link(const Netns& a, const std::string& addressA, const Netns& b,
                                                const std::string& addressB) {
    const int n = counter++;
    const std::string endA = "lfa" + std::to_string(getpid() % 10000) + "x" + std::to_string(n);
    const std::string endB = "lfb" + std::to_string(getpid() % 10000) + "x" + std::to_string(n);
    if (shell("ip link add " + endA + " netns " + a.name() + " type veth peer name " + endB + " netns " +
              b.name()) != 0)
        throw std::runtime_error("cannot create veth pair");
    a.ip("addr add " + addressA + " dev " + endA);
    b.ip("addr add " + addressB + " dev " + endB);
    a.ip("link set " + endA + " up");
    b.ip("link set " + endB + " up");
    return {endA, endB};
}

namespace {

QJsonArray json(const std::string& commandLine) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(capture(commandLine))).array();
}

bool hasFlag(const QJsonObject& object, const char* flag) {
    return object.value("flags").toArray().contains(QString::fromLatin1(flag));
}

}  // namespace

std::string expectedLocalIp(const Netns& ns) {
    const QJsonArray links = json("ip -n " + ns.name() + " -j addr show");
    const auto firstInet = [](const QJsonObject& link) -> QString {
        for (const auto& info : link.value("addr_info").toArray()) {
            const QJsonObject address = info.toObject();
            if (address.value("family").toString() == "inet") return address.value("local").toString();
        }
        return {};
    };

    QString device;
    double bestMetric = std::numeric_limits<double>::infinity();
    for (const auto& entry : json("ip -n " + ns.name() + " -j route show default")) {
        const QJsonObject route = entry.toObject();
        if (hasFlag(route, "linkdown") || hasFlag(route, "dead")) continue;
        const double metric = route.value("metric").toDouble(0);
        if (metric < bestMetric) {
            bestMetric = metric;
            device = route.value("dev").toString();
        }
    }
    if (!device.isEmpty()) {
        for (const auto& entry : links) {
            const QJsonObject link = entry.toObject();
            if (link.value("ifname").toString() == device && !firstInet(link).isEmpty())
                return firstInet(link).toStdString();
        }
    }
    for (const auto& entry : links) {
        const QJsonObject link = entry.toObject();
        const QString inet = firstInet(link);
        if (hasFlag(link, "UP") && !hasFlag(link, "LOOPBACK") && !inet.isEmpty() && !inet.startsWith("127."))
            return inet.toStdString();
    }
    return "127.0.0.1";
}

}  // namespace testing_support
