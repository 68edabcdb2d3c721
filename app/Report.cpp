#include "app/Report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <string>

#include "app/Identity.h"
#include "probes/Connectivity.h"
#include "probes/LocalIp.h"
#include "probes/PublicAddress.h"
#include "toolkit/Error.h"
#include "toolkit/ResumeNext.h"

namespace app {

namespace {

// The texts the window's cycle writes for the addresses: the report must
// read as the window does.
const QString kLoopbackText = QString::fromLatin1(probes::kLoopbackAddress);
const QString kMarkerText = QString::fromLatin1(kLoopbackMarker);
const QString kMissingText = QString::fromLatin1(kMissingAddress);

template <class Service>
Service& service(const std::unique_ptr<Service>& installed) {
    if (!installed) throw toolkit::Error(toolkit::errors::ObjectRequired, toolkit::kProgramSource, "Object required");
    return *installed;
}

QString withoutControls(QString text) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control) c = QChar::ReplacementCharacter;
    return text;
}

// Waybar reads text and tooltip as Pango markup.
QString markupEscaped(const QString& text) { return withoutControls(text).toHtmlEscaped(); }

QStringList reportLines(const Report& report) {
    return {QStringLiteral("Status:    ") + StatusText(report.state), QStringLiteral("WAN:       ") + report.wan,
            QStringLiteral("LAN:       ") + report.lan, QStringLiteral("Localhost: ") + report.localhost};
}

}  // namespace

Report gatherReport(Platform& platform, bool withAdapters) {
    Report report;
    toolkit::ResumeNext next;

    // As start-up fetches it: split at single spaces, keep the last token.
    std::string reply;
    std::vector<std::string> tokens;
    next([&] { reply = service(platform.transfer).OpenURL(probes::kPublicAddressUrl); });
    next([&] { tokens = probes::SplitOnSpaces(reply); });
    next([&] { report.wan = QString::fromStdString(probes::LastToken(tokens)); });

    // As the first tick reads them; the probe absorbs nothing.
    QString probeText;
    switch (probes::ProbeConnectivity(service(platform.internet), kTitle)) {
    case probes::ProbeResult::Reachable:
        probeText = QStringLiteral("online");
        break;
    case probes::ProbeResult::Unreachable:
        probeText = QStringLiteral("Offline");
        break;
    case probes::ProbeResult::NotRun:
        break;
    }
    next([&] { report.lan = QString::fromStdString(probes::ReadLocalAddress(service(platform.localIp))); });
    report.localhost = kLoopbackText;
    if (Contains(report.lan, kLoopbackText)) report.lan = kMarkerText;

    report.state = ClassifyConnection(probeText, report.lan);
    switch (report.state) {
    case ConnectionState::LanOnlyOffline:
        report.wan = kMissingText;
        break;
    case ConnectionState::LanAndWanOnline:
        break;
    case ConnectionState::Offline:
        report.lan = kMissingText;
        report.wan = kMissingText;
        break;
    case ConnectionState::WanOnlyOnline:
        report.lan = kMissingText;
        break;
    }

    if (withAdapters) {
        try {
            adapters::GetAdaptsInfo::ListAdapters(service(platform.adapterInfo), report.adapters);
        } catch (const toolkit::Error& e) {
            report.adapters.clear();
            report.adapterError = QString::fromStdString(e.description());
        }
    }
    return report;
}

QString stateName(ConnectionState state) {
    switch (state) {
    case ConnectionState::LanOnlyOffline:
        return QStringLiteral("lan-only-offline");
    case ConnectionState::LanAndWanOnline:
        return QStringLiteral("lan-and-wan-online");
    case ConnectionState::Offline:
        return QStringLiteral("offline");
    case ConnectionState::WanOnlyOnline:
        return QStringLiteral("wan-only-online");
    }
    return {};
}

bool isOnline(ConnectionState state) {
    return state == ConnectionState::LanAndWanOnline || state == ConnectionState::WanOnlyOnline;
}

QByteArray plainReport(const Report& report) {
    QByteArray text;
    for (const QString& line : reportLines(report)) text += withoutControls(line).toUtf8() + '\n';
    return text;
}

QByteArray jsonReport(const Report& report, bool oneLine) {
    QJsonArray adapterList;
    for (const adapters::AdapterRecord& adapter : report.adapters)
        adapterList.append(QJsonObject{{QStringLiteral("name"), adapter.Name},
                                       {QStringLiteral("index"), adapter.Index},
                                       {QStringLiteral("description"), adapter.Description},
                                       {QStringLiteral("address"), adapter.IP},
                                       {QStringLiteral("gateway"), adapter.GatewayIP}});
    QStringList tooltip;
    for (const QString& line : reportLines(report)) tooltip += markupEscaped(line);

    QJsonObject object{{QStringLiteral("state"), stateName(report.state)},
                       {QStringLiteral("status"), StatusText(report.state)},
                       {QStringLiteral("online"), isOnline(report.state)},
                       {QStringLiteral("wan"), report.wan},
                       {QStringLiteral("lan"), report.lan},
                       {QStringLiteral("localhost"), report.localhost},
                       {QStringLiteral("adapters"), adapterList},
                       {QStringLiteral("text"), markupEscaped(StatusText(report.state))},
                       {QStringLiteral("tooltip"), tooltip.join(u'\n')},
                       {QStringLiteral("class"), stateName(report.state)},
                       {QStringLiteral("alt"), stateName(report.state)}};
    if (!report.adapterError.isEmpty()) object.insert(QStringLiteral("adapterError"), report.adapterError);
    QByteArray json = QJsonDocument(object).toJson(oneLine ? QJsonDocument::Compact : QJsonDocument::Indented);
    if (oneLine) json += '\n';
    return json;
}

}  // namespace app
