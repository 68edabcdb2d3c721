#include "app/Form1.h"

#include <string>
#include <vector>

#include "probes/PublicAddress.h"
#include "toolkit/ResumeNext.h"

namespace app {

Form1::Form1(toolkit::Application& app, Platform& platform)
    : toolkit::Form(app), platform_(platform), Inet1(*platform.transfer) {}

Form1::~Form1() = default;

void Form1::Form_Load() {
    toolkit::ResumeNext next;
    std::string reply;
    std::vector<std::string> tokens;

    // The public address: fetch, split at single spaces, keep the last token.
    next([&] { reply = Inet1.OpenURL(probes::kPublicAddressUrl); });
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

void Form1::Timer1_Timer() {}

}  // namespace app
