// The terminal front end's command line and its watch, over fake services.
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stop_token>
#include <thread>

#include "app/CommandLine.h"
#include "app/Report.h"
#include "app/Watch.h"
#include "probes/NetworkChanges.h"
#include "tests/support/Fakes.h"
#include "toolkit/Waiter.h"

using app::CommandLine;
using testing_support::FakePlatform;

namespace {
CommandLine parse(const QStringList& arguments) { return app::parseCommandLine(arguments); }
}  // namespace

TEST(CommandLine, TakesItsOptionsInAnyFormAndRefusesTheRest) {
    const CommandLine bundled = parse({QStringLiteral("-qj")});
    EXPECT_EQ(bundled.action, CommandLine::Action::Report);
    EXPECT_TRUE(bundled.quiet && bundled.json && !bundled.watch);

    const CommandLine repeated = parse({QStringLiteral("--watch"), QStringLiteral("--json"), QStringLiteral("-w")});
    EXPECT_TRUE(repeated.watch && repeated.json);

    // --help wins over the report options, whatever their order.
    EXPECT_EQ(parse({QStringLiteral("--json"), QStringLiteral("--help")}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({QStringLiteral("-V"), QStringLiteral("--report")}).action, CommandLine::Action::Version);

    for (const QStringList& wrong : {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("-x")},
                                     QStringList{QStringLiteral("--report=now")},
                                     QStringList{QStringLiteral("report")},
                                     QStringList{QStringLiteral("--"), QStringLiteral("--report")},
                                     QStringList{QStringLiteral("-q"), QStringLiteral("--watch")},
                                     QStringList{QStringLiteral("--json"), QStringLiteral("--help"),
                                                 QStringLiteral("--frobnicate")}}) {
        const CommandLine line = parse(wrong);
        EXPECT_EQ(line.action, CommandLine::Action::Usage) << wrong.join(u' ').toStdString();
        EXPECT_FALSE(line.problem.isEmpty());
        EXPECT_FALSE(line.problem.contains(u'\n')) << line.problem.toStdString();
    }
    EXPECT_TRUE(parse({QStringLiteral("--frobnicate")}).problem.contains(QStringLiteral("frobnicate")));
}

TEST(Report, NeitherTheTerminalNorTheBarTakesControlsOrMarkupFromAReply) {
    app::Report report;
    report.state = app::ConnectionState::WanOnlyOnline;
    report.wan = QStringLiteral("\x1b]0;owned\x07<b>&</b>");
    report.lan = QStringLiteral("Null");
    report.localhost = QStringLiteral("127.0.0.1");

    const QByteArray plain = app::plainReport(report);
    EXPECT_FALSE(plain.contains('\x1b'));
    EXPECT_FALSE(plain.contains('\x07'));
    EXPECT_TRUE(plain.contains("<b>&</b>"));

    const QByteArray json = app::jsonReport(report, true);
    EXPECT_TRUE(json.endsWith("}\n"));
    EXPECT_EQ(json.count('\n'), 1);
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    EXPECT_EQ(object.value(QStringLiteral("wan")).toString(), report.wan);
    EXPECT_EQ(object.value(QStringLiteral("tooltip")).toString().split(u'\n').value(1),
              QStringLiteral("WAN:       \ufffd]0;owned\ufffd&lt;b&gt;&amp;&lt;/b&gt;"));
}

// The first round's request hangs until a burst of changes cancels it, and
// would answer a stale address; then a change that changes no answer.
TEST(Watch, DropsARoundAChangeOvertakesSettlesABurstAndRepeatsNothing) {
    FakePlatform fakes;
    toolkit::Waiter waiter;
    probes::NetworkChanges changes;
    std::vector<QByteArray> printed;
    std::atomic<bool> hungRequestStopped{false};
    fakes.localIp->answer = [] { return std::string("127.0.0.1"); };
    fakes.transfer->answer = [&](const std::string&) {
        if (fakes.transfer->requested.size() > 1) return std::string("198.51.100.4");
        for (int i = 0; i < 5; ++i) QTimer::singleShot(100 + 10 * i, &changes, [&] { emit changes.changed(); });
        try {
            waiter.wait([&hungRequestStopped](std::stop_token stop) {
                while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                hungRequestStopped = true;
            });
        } catch (const toolkit::WaitCancelled&) {
        }
        return std::string("203.0.113.66");
    };
    app::Watch watch(fakes.platform, waiter, changes, {false, std::chrono::milliseconds(50)},
                     [&](const QByteArray& text) { printed.push_back(text); }, [](const QString&) {});
    const auto settlesAt = [&](int rounds) {
        return testing_support::waitUntil([&] { return watch.rounds() >= rounds; }) &&
               !testing_support::waitUntil([&] { return watch.rounds() > rounds; }, 300);
    };
    watch.start();
    ASSERT_TRUE(settlesAt(2));
    EXPECT_TRUE(hungRequestStopped);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_TRUE(printed[0].contains("WAN:       198.51.100.4")) << printed[0].toStdString();

    emit changes.changed();
    ASSERT_TRUE(settlesAt(3));
    EXPECT_EQ(printed.size(), 1u);
}
