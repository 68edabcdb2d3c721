#include "app/Form1.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "adapters/Form2.h"
#include "app/Assets.h"
#include "app/ConnectionState.h"
#include "app/Identity.h"
#include "app/Lamps.h"
#include "app/Platform.h"
#include "probes/Connectivity.h"
#include "probes/LocalIp.h"
#include "probes/Module1.h"
#include "probes/PublicAddress.h"
#include "toolkit/Controls.h"
#include "toolkit/Error.h"
#include "toolkit/ResumeNext.h"

namespace app {

namespace {
// The gathering display: 20 steps of 5, one per tick.
constexpr float kProgressStep = 5.0f;
constexpr float kProgressTarget = 100.0f;
constexpr std::uint32_t kBarBackground = 0x000000;  // black, 0x00BBGGRR
constexpr std::uint32_t kBarColor = 0x00FF00;       // green

const QString kLoopbackAddress = QString::fromLatin1(probes::kLoopbackAddress);
const QString kMissing = QString::fromLatin1(kMissingAddress);

// A platform service the window needs; a platform without it fails the
// step like a missing object does.
template <class Service>
Service& service(const std::unique_ptr<Service>& installed) {
    if (!installed) throw toolkit::Error(toolkit::errors::ObjectRequired, toolkit::kProgramSource, "Object required");
    return *installed;
}

// "explorer.exe ", then the URL in double quotes.
std::string BrowserCommandLine(const char* url) { return std::string("explorer.exe ") + '"' + url + '"'; }
}  // namespace

Form1::Form1(toolkit::Application& app, Platform& platform)
    : toolkit::Form(app), platform_(platform), Inet1(platform.transfer) {}

Form1::~Form1() = default;

void Form1::Form_Load() {
    toolkit::ResumeNext next;
    std::string reply;
    std::vector<std::string> tokens;

    // The public address: fetch, split at single spaces, keep the last token.
    next([&] { reply = service(Inet1).OpenURL(probes::kPublicAddressUrl); });
    next([&] { tokens = probes::SplitOnSpaces(reply); });
    next([&] { WAN->setText(QString::fromStdString(probes::LastToken(tokens))); });

    // The first tick comes once this handler has returned.
    next([&] { Timer1->setInterval(100); });

    next([&] { LAN2->setVisible(false); });
    next([&] { LAN->setVisible(false); });
    next([&] { WAN2->setVisible(false); });
    next([&] { WAN->setVisible(false); });
    next([&] { txtStatus->setVisible(false); });
    next([&] { txtLocal->setVisible(false); });
    next([&] { lblLocal->setVisible(false); });
    next([&] { chkgreen->setVisible(false); });
    next([&] { chkyellow->setVisible(false); });
    next([&] { chkred->setVisible(false); });
    next([&] { chkstatus->setVisible(false); });
    next([&] { chkReload->setVisible(false); });
    next([&] { chkAdp->setVisible(false); });
}

void Form1::Timer1_Timer() {
    // Steps 1 to 5 absorb nothing: a failure here reaches the user.
    probes::Module1::SetProgressColors(*ProgressBar1, kBarBackground, kBarColor);
    ProgressBar1->setValue(ProgressBar1->Value() + kProgressStep);
    if (ProgressBar1->Value() != kProgressTarget) return;

    // Stopped before the probe, so no tick piles up behind it.
    if (ProgressBar1->Max() <= ProgressBar1->Value()) Timer1->setEnabled(false);

    switch (probes::ProbeConnectivity(service(platform_.internet), kTitle)) {
    case probes::ProbeResult::Reachable:
        txtStatus2->setText(QStringLiteral("online"));
        break;
    case probes::ProbeResult::Unreachable:
        txtStatus2->setText(QStringLiteral("Offline"));
        break;
    case probes::ProbeResult::NotRun:
        break;
    }

    // From here on a failing step is skipped and the next one runs.
    toolkit::ResumeNext next;
    next([&] { LAN->setText(QString::fromStdString(probes::ReadLocalAddress(service(platform_.localIp)))); });

    next([&] { ProgressBar1->setVisible(false); });
    next([&] { lblWorking->setVisible(false); });
    next([&] { LAN2->setVisible(true); });
    next([&] { LAN->setVisible(true); });
    next([&] { WAN2->setVisible(true); });
    next([&] { WAN->setVisible(true); });
    next([&] { txtLocal->setVisible(true); });
    next([&] { txtLocal->setText(kLoopbackAddress); });
    next([&] { lblLocal->setVisible(true); });
    next([&] { chkReload->setVisible(true); });
    next([&] { chkAdp->setVisible(true); });

    next([&] {
        if (Contains(LAN->Text(), kLoopbackAddress)) LAN->setText(QString::fromLatin1(kLoopbackMarker));
    });

    ConnectionState state = ConnectionState::WanOnlyOnline;
    next([&] { state = ClassifyConnection(txtStatus2->Text(), LAN->Text()); });
    switch (state) {
    case ConnectionState::LanOnlyOffline:
        next([&] { txtStatus->setText(StatusText(state)); });
        next([&] { WAN->setText(kMissing); });
        next([&] { chkstatus->setVisible(true); });
        next([&] { chkgreen->setVisible(true); });
        next([&] { chkred->setVisible(true); });
        next([&] { chkyellow->setVisible(true); });
        next([&] { chkgreen->setValue(1); });
        next([&] { chkyellow->setCaption(QStringLiteral("LAN Only")); });
        next([&] { chkred->setCaption(QStringLiteral("Offline")); });
        next([&] { chkgreen->setTop(kLampLifted); });
        break;
    case ConnectionState::LanAndWanOnline:
        next([&] { txtStatus->setText(StatusText(state)); });
        next([&] { chkstatus->setVisible(true); });
        next([&] { chkgreen->setVisible(true); });
        next([&] { chkred->setVisible(true); });
        next([&] { chkyellow->setVisible(true); });
        next([&] { chkred->setValue(1); });
        next([&] { chkgreen->setCaption(QStringLiteral("Online")); });
        next([&] { chkyellow->setCaption(QStringLiteral("WAN/LAN")); });
        next([&] { chkred->setTop(kLampLifted); });
        break;
    case ConnectionState::Offline:
        next([&] { LAN->setText(kMissing); });
        next([&] { WAN->setText(kMissing); });
        next([&] { chkstatus->setVisible(true); });
        next([&] { txtStatus->setText(StatusText(state)); });
        next([&] { chkgreen->setVisible(true); });
        next([&] { chkred->setVisible(true); });
        next([&] { chkyellow->setVisible(true); });
        next([&] { chkgreen->setValue(1); });
        next([&] { chkyellow->setValue(1); });
        next([&] { chkgreen->setTop(kLampLiftedHigh); });
        next([&] { chkyellow->setTop(kLampLiftedHigh); });
        next([&] { chkred->setTop(kLampResting); });
        next([&] { chkred->setCaption(QStringLiteral("Offline")); });
        break;
    case ConnectionState::WanOnlyOnline:
        // WAN keeps what start-up put there.
        next([&] { txtStatus->setText(StatusText(state)); });
        next([&] { LAN->setText(kMissing); });
        next([&] { chkstatus->setVisible(true); });
        next([&] { chkgreen->setVisible(true); });
        next([&] { chkred->setVisible(true); });
        next([&] { chkyellow->setVisible(true); });
        next([&] { chkred->setValue(1); });
        next([&] { chkgreen->setCaption(QStringLiteral("Online")); });
        next([&] { chkyellow->setCaption(QStringLiteral("WAN Only")); });
        next([&] { chkred->setTop(kLampLiftedHigh); });
        break;
    }
}

void Form1::chkAdp_Click() {
    if (!Form2)
        Form2 = std::make_unique<adapters::Form2>(application(), *this, service(platform_.adapterInfo), windowIcon());
    // Loads (lists the adapters) only when it is not loaded yet.
    Form2->Show();
    // Raises this Click once more, nested; that run finds the box at 0.
    chkAdp->setValue(0);
}

void Form1::chkReload_Click() {
    // The handler outlives the window it was clicked in: the runtime keeps
    // the application alive across the unload and places the new window as
    // a newly loaded one.
    Unload();
    Load();
    Show();
}

void Form1::WAN2_Click() {
    service(platform_.shell).Shell(BrowserCommandLine(kWanPageUrl), toolkit::window_style::MinimizedFocus);
}

void Form1::Qor_Click() {
    service(platform_.shell).Shell(BrowserCommandLine(kHomePageUrl), toolkit::window_style::MinimizedFocus);
}

}  // namespace app
