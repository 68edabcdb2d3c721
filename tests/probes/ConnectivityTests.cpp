// ProbeConnectivity, ReadLocalAddress and SetProgressColors over their
// services: what is called, in which order, and what comes back.
#include <gtest/gtest.h>

#include "probes/Connectivity.h"
#include "probes/Module1.h"
#include "tests/support/Fakes.h"
#include "toolkit/Error.h"

using namespace probes;
using testing_support::FakeInternet;
using testing_support::FakeLocalIp;
using testing_support::RecordingProgressBar;

namespace {
const std::string kOpen = "InternetOpenA({Qor} Lumenfold 1.5,0,null,null,0)";
const std::string kOpenUrl = "InternetOpenUrlA(16,http://example.com/,null,0,0x84400000,0)";
}  // namespace

TEST(ProbeConnectivity, ReachableClosesTheUrlHandleThenTheSession) {
    FakeInternet internet;
    EXPECT_EQ(ProbeConnectivity(internet, "{Qor} Lumenfold 1.5"), ProbeResult::Reachable);
    EXPECT_EQ(internet.calls,
              (std::vector<std::string>{kOpen, kOpenUrl, "InternetCloseHandle(32)", "InternetCloseHandle(16)"}));
}

TEST(ProbeConnectivity, UnreachableClosesOnlyTheSession) {
    FakeInternet internet;
    internet.urlHandle = 0;
    EXPECT_EQ(ProbeConnectivity(internet, "{Qor} Lumenfold 1.5"), ProbeResult::Unreachable);
    EXPECT_EQ(internet.calls, (std::vector<std::string>{kOpen, kOpenUrl, "InternetCloseHandle(16)"}));
}

TEST(ProbeConnectivity, WithoutASessionNoUrlIsOpenedAndTheNullCloseIsStillIssued) {
    FakeInternet internet;
    internet.sessionHandle = 0;
    EXPECT_EQ(ProbeConnectivity(internet, "agent"), ProbeResult::NotRun);
    EXPECT_EQ(internet.calls,
              (std::vector<std::string>{"InternetOpenA(agent,0,null,null,0)", "InternetCloseHandle(0)"}));
}

TEST(ProbeConnectivity, TheProbeUrlIsAPlainHttpHomePage) {
    const std::string url = kProbeUrl;
    EXPECT_TRUE(url.starts_with("http://"));
    EXPECT_TRUE(url.ends_with("/"));
    EXPECT_EQ(url.find('/', 7), url.size() - 1);
}

TEST(ReadLocalAddress, AnswersTheServiceTextAndPassesItsFailureOn) {
    FakeLocalIp winsock;
    winsock.answer = [] { return std::string("10.0.0.7"); };
    EXPECT_EQ(ReadLocalAddress(winsock), "10.0.0.7");
    winsock.answer = []() -> std::string { throw toolkit::Error(10050, "Winsock", "down"); };
    EXPECT_THROW(ReadLocalAddress(winsock), toolkit::Error);
    EXPECT_EQ(winsock.reads, 2);
}

TEST(SetProgressColors, SendsBackgroundThenBarAndTheBarDrawsThem) {
    RecordingProgressBar bar(nullptr);
    const std::uint32_t black = 0x000000, green = 0x00FF00;
    Module1::SetProgressColors(bar, black, green);
    ASSERT_EQ(bar.received.size(), 2u);
    EXPECT_EQ(bar.received[0].message, 0x2001u);
    EXPECT_EQ(bar.received[0].lParam, 0x000000);
    EXPECT_EQ(bar.received[1].message, 0x0409u);
    EXPECT_EQ(bar.received[1].lParam, 0x00FF00);

    // The colours arrive in 0x00BBGGRR order and are what the bar paints.
    bar.resize(100, 10);
    bar.setValue(50);
    const std::uint32_t blue = 0xFF0000, red = 0x0000FF;
    Module1::SetProgressColors(bar, blue, red);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(10, 5)), QColor(255, 0, 0));  // bar
    EXPECT_EQ(QColor(image.pixel(90, 5)), QColor(0, 0, 255));  // background
    Module1::SetProgressColors(bar, black, green);
    const QImage again = bar.grab().toImage();
    EXPECT_EQ(QColor(again.pixel(10, 5)), QColor(0, 255, 0));
    EXPECT_EQ(QColor(again.pixel(90, 5)), QColor(0, 0, 0));
}
