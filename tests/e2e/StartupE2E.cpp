// The real main window with the real services, in a namespace of its own
// whose hosts file points the address service's host name at a local server.
#include <gtest/gtest.h>

#include "app/Form1.h"
#include "app/LinuxPlatform.h"
#include "tests/support/Fakes.h"
#include "tests/support/HttpServer.h"
#include "tests/support/Netns.h"

using namespace testing_support;

namespace {

constexpr const char* kServedAddress = "203.0.113.77";

TEST(StartupInNamespace, ShowsTheAddressTheServiceAnswers) {
    if (isInnerNetnsRun()) GTEST_SKIP() << "outer test only";
    LUMENFOLD_SKIP_WITHOUT_NETNS();

    Netns host("startup");
    host.setHosts({{"api.ipify.org", "127.0.0.1"}});
    HttpServer service(
        [](httplib::Server& s) {
            s.Get("/", [](const httplib::Request&, httplib::Response& res) {
                res.set_content(kServedAddress, "text/plain");
            });
        },
        HttpServer::Options{.host = "127.0.0.1", .port = 80, .netns = host.name(), .lifetime = std::chrono::seconds(60)});
    ASSERT_TRUE(service.ok()) << "could not listen on port 80 inside " << host.name();

    EXPECT_EQ(runSelfInside(host, "StartupInNamespaceInner.*"), 0);
}

TEST(StartupInNamespaceInner, RealWindowShowsTheServedAddress) {
    if (!isInnerNetnsRun()) GTEST_SKIP() << "runs inside the namespace made by StartupInNamespace";
    RecordingPresenter presenter;
    toolkit::Application application(presenter);
    app::Platform platform = app::makeLinuxPlatform();
    app::Form1 form(application, platform);
    application.start(form);
    ASSERT_TRUE(form.isLoaded());
    EXPECT_EQ(form.WAN->Text(), QString::fromLatin1(kServedAddress));
    EXPECT_TRUE(form.window()->isVisible());
    EXPECT_TRUE(presenter.shown.empty());
    form.Unload();
    flushDeletions();
}

}  // namespace
