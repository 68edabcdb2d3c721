#pragma once

// Network namespaces that a test makes for itself: hosts of its own, joined
// by veth pairs, with their own /etc/hosts through /etc/netns/NAME/hosts.
// Everything made is removed again when the object goes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// Why the namespace tests cannot run here, or empty when they can. Tried
// once per test program, the way the tests use namespaces: one is made, a
// hosts file written for it, and a command run inside through `ip netns
// exec` must resolve a name from that file. Minimal systems without
// /etc/hosts, or chroots whose / is not a mount point, fail here.
std::string netnsUnavailableReason();

// Set (LUMENFOLD_REQUIRE_NETNS=1, as CI does) when a namespace test that
// cannot run must fail rather than skip, so that a skip never hides a fault.
bool netnsRequired();

// Skips the calling test when namespaces cannot be used here, saying why;
// fails it instead where they are required.
#define LUMENFOLD_SKIP_WITHOUT_NETNS()                                                                    \
    do {                                                                                                  \
        if (const std::string why_ = ::testing_support::netnsUnavailableReason(); !why_.empty()) {        \
            if (::testing_support::netnsRequired())                                                       \
                FAIL() << "needs network namespaces, required by LUMENFOLD_REQUIRE_NETNS: " << why_;      \
            GTEST_SKIP() << "needs network namespaces: " << why_;                                         \
        }                                                                                                 \
    } while (0)

// Moves the calling thread into the named namespace (only this thread).
bool enterNetns(const std::string& name);

// Runs a shell command line; answers its exit status.
int shell(const std::string& commandLine);
// Runs a command and answers what it printed on standard output.
std::string capture(const std::string& commandLine);

class Netns;

// The local IPv4 address as iproute2 reports it for a namespace (`ip -j
// route`, `ip -j addr`): the first IPv4 address of the device of the usable
// default route with the lowest metric; else that of the first interface,
// in interface order, that is up and not loopback; else "127.0.0.1".
std::string expectedLocalIp(const Netns& ns);

// A test that needs the product's fixed host names resolved by its own hosts
// file re-runs this test binary inside the namespace (through `ip netns
// exec`) with a filter naming the inner test; the inner test runs only there.
bool isInnerNetnsRun();
int runSelfInside(const class Netns& ns, const std::string& gtestFilter);

class Netns {
public:
    // A fresh namespace named lf-<tag>-<pid>, with its loopback up.
    explicit Netns(const std::string& tag);
    ~Netns();
    Netns(const Netns&) = delete;
    Netns& operator=(const Netns&) = delete;

    const std::string& name() const { return name_; }
    // Runs `ip -n NAME <args>`; throws std::runtime_error when it fails.
    void ip(const std::string& args) const;
    // Prefix that runs a command inside: "ip netns exec NAME ".
    std::string exec() const { return "ip netns exec " + name_ + " "; }
    // Writes /etc/netns/NAME/hosts, seen by programs started with exec().
    void setHosts(const std::map<std::string, std::string>& nameToAddress) const;

    // Joins two namespaces with a veth pair, giving each end an address
    // (CIDR form) and bringing both up. Answers the interface names.
    static std::pair<std::string, std::string> link(const Netns& a, const std::string& addressA,
                                                    const Netns& b, const std::string& addressB);

private:
    std::string name_;
};

}  // namespace testing_support
