// The main window as it is built at every load: its controls, their
// containers, stacking order, places, fonts, colours and focus order.
#include <QFont>
#include <QPalette>
#include <QStringList>

#include "app/Assets.h"
#include "app/Fonts.h"
#include "app/Form1.h"
#include "app/Identity.h"
#include "app/Lamps.h"
#include "toolkit/Accessibility.h"
#include "toolkit/Controls.h"
#include "toolkit/SystemColors.h"

namespace app {

namespace {
QFont windowFont() { return tahomaFont(8.25, false); }
QFont buttonFont() { return tahomaFont(8.25, true); }
QFont readoutFont() { return digitalFont(14.25); }
QFont bannerFont() { return digitalFont(21.75); }
QFont legendFont() { return digitalFont(12); }

const QColor kGreen(0, 255, 0);
const QColor kDarkGreen(0, 192, 0);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// The system colours the layout names, as this platform fixes them: the
// layout pairs each with a colour of its own.
QColor windowTextColor() { return toolkit::systemColor(toolkit::SystemColor::WindowText); }
QColor buttonTextColor() { return toolkit::systemColor(toolkit::SystemColor::ButtonText); }
QColor buttonFaceColor() { return toolkit::systemColor(toolkit::SystemColor::ButtonFace); }
QColor menuTextColor() { return toolkit::systemColor(toolkit::SystemColor::MenuText); }

QString aboutText() {
    const QStringList lines = {
        QStringLiteral(" Lumenfold v1.5"),
        QString(),
        QStringLiteral(" Written by Tarnwick, the Lumenfold developers"),
        QString(),
        QStringLiteral(" Contact:"),
        QStringLiteral(" ") + QString::fromLatin1(kHomePageUrl),
        QStringLiteral(" ") + QString::fromLatin1(kContactAddress),
        QString(),
        QStringLiteral(" Depending on your current connection status it could take"),
        QStringLiteral(" up to 30 sec. for this program to detect your connection"),
        QStringLiteral(" and ip. This mostly happens when your connected to a "),
        QStringLiteral(" router and not online."),
        QString(),
        QStringLiteral(" WAN - A wide area network (WAN) is the ip address "),
        QStringLiteral(" assigned to your modem by your internet provider."),
        QString(),
        QStringLiteral(" LAN - A local area network (LAN) is the ip address assigned "),
        QStringLiteral(" from your router."),
        QString(),
        QStringLiteral(" LOCALHOST - On most computer systems, resolves to the IP address "),
        QStringLiteral(" 127.0.0.1, which is the most commonly used loopback address."),
    };
    const QString crlf = QStringLiteral("\r\n");
    return crlf + lines.join(crlf) + crlf;
}

toolkit::TextBox* readout(QWidget* parent, float left, float top, const QColor& background, int tabIndex,
                          const QString& accessibleName) {
    auto* box = new toolkit::TextBox(parent);
    box->Move(left, top, 3015, 405);
    box->setFont(readoutFont());
    box->setColors(kGreen, background);
    box->setTabIndex(tabIndex);
    box->setAccessibleLabel(accessibleName);
    // An address is copied whole: a double click takes it all, dots included.
    box->setDoubleClickSelectsAll(true);
    return box;
}

toolkit::Label* panelLabel(QWidget* parent, const QString& caption, float left, float top, float width, float height,
                           const QFont& font, int tabIndex) {
    auto* label = new toolkit::Label(parent);
    label->Move(left, top, width, height);
    label->setFont(font);
    label->setForeColor(kGreen);
    label->setCaption(caption);
    label->setAutoSize(true);
    label->setTabIndex(tabIndex);
    label->setAccessibleName(caption);
    return label;
}

toolkit::CheckBox* graphicalCheck(QWidget* parent, const QString& caption, float left, float top, float width,
                                  const QColor& face, const QColor& fore, int tabIndex) {
    auto* check = new toolkit::CheckBox(parent);
    check->Move(left, top, width, 340);
    check->setFont(buttonFont());
    check->setCaption(caption);
    check->setBackColor(face);
    check->setForeColor(fore);
    check->setTabIndex(tabIndex);
    return check;
}

// A lamp of the status bar: it shows state only, so it is disabled, and it
// is named by its colour since its caption changes with the state.
toolkit::CheckBox* lamp(QWidget* parent, const char* name, float left, float width, const QColor& face,
                        const QColor& captionColor, int tabIndex) {
    auto* check = graphicalCheck(parent, QString(), left, kLampResting, width, face, captionColor, tabIndex);
    check->setEnabled(false);
    check->setAccessibleName(QString::fromLatin1(name));
    toolkit::setCheckBoxRole(*check, toolkit::CheckBoxRole::Lamp);
    return check;
}

// A command of the panel: the hand cursor says it can be clicked.
toolkit::CheckBox* command(QWidget* parent, const QString& caption, float left, float width, int tabIndex,
                           const QCursor& hand) {
    auto* check = graphicalCheck(parent, caption, left, 2040, width, kBlack, kGreen, tabIndex);
    check->setCursor(hand);
    check->setAccessibleName(caption);
    toolkit::setCheckBoxRole(*check, toolkit::CheckBoxRole::Command);
    return check;
}
}  // namespace

toolkit::FormStyle Form1::style() const {
    return {QString::fromLatin1(kMainCaption), QSize(5490, 2940), windowIcon(), toolkit::StartUpPosition::CenterScreen};
}

// Siblings are made back to front: a later sibling is drawn over an earlier
// one. Each block below lists its controls in that order.
void Form1::createControls(QWidget& window) {
    window.setFont(windowFont());
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, kBlack);
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    // Form1: SSTTab0 behind txtStatus2.
    SSTTab0 = new toolkit::TabControl(&window);
    SSTTab0->Move(0, 0, 5535, 3015);
    SSTTab0->setTabHeight(295);
    SSTTab0->setTabFont(legendFont());
    SSTTab0->setTabColors(buttonFaceColor(), kBlack);
    SSTTab0->setTabIndex(0);
    SSTTab0->setAccessibleName(QStringLiteral("Sections"));
    QWidget* wanLan = SSTTab0->addTab(QStringLiteral("WAN LAN"));
    // The other two tabs are made when first opened.
    SSTTab0->addTab(QStringLiteral("Legend"), [this](QWidget& page) { createLegendTab(page); });
    SSTTab0->addTab(QStringLiteral("About / Help"), [this](QWidget& page) { createAboutTab(page); });

    // Beyond the right edge of the client area: visible, yet never seen.
    txtStatus2 = new toolkit::TextBox(&window);
    txtStatus2->Move(5640, 1080, 735, 285);
    txtStatus2->setTabIndex(8);
    txtStatus2->setAccessibleLabel(QStringLiteral("Probe result"));

    // Tab "WAN LAN": the black panel, then the read-outs in front of it.
    // The panel is a plain black fill: a picture of it would be black
    // throughout, and decoding one cost a JPEG decoder at every start.
    Picture1 = new toolkit::PictureBox(wanLan);
    Picture1->Move(0, 360, 5520, 2625);
    Picture1->setBackColor(kBlack);
    Picture1->setBorder(true);
    Picture1->setTabIndex(4);
    Picture1->setAccessibleName(QStringLiteral("Connection"));

    // Inside the panel, back to front.
    WAN2 = panelLabel(Picture1, QStringLiteral("Your Wan Ip Is:"), 240, 270, 1740, 285, readoutFont(), 5);
    WAN2->setToolTip(QStringLiteral("WAN IP NOT SHOWING UP - CLICK HERE."));
    LAN2 = panelLabel(Picture1, QStringLiteral("Your Lan Ip Is:"), 240, 745, 1740, 285, readoutFont(), 6);
    lblWorking = panelLabel(Picture1, QStringLiteral("Gathering Information..."), 480, 120, 4515, 435, bannerFont(), 7);
    lblLocal = panelLabel(Picture1, QStringLiteral("Localhost:"), 240, 1240, 1410, 285, readoutFont(), 10);
    Timer1 = new toolkit::Timer(Picture1);
    txtLocal = readout(Picture1, 2250, 1200, kBlack, 9, QStringLiteral("Localhost"));
    chkstatus = graphicalCheck(Picture1, QStringLiteral("Online Status:"), 240, 1720, 2055, kBlack, kGreen, 17);
    chkstatus->setEnabled(false);
    chkstatus->setAccessibleName(QStringLiteral("Online Status:"));
    toolkit::setCheckBoxRole(*chkstatus, toolkit::CheckBoxRole::Caption);
    chkgreen = lamp(Picture1, "Green lamp", 2250, 1040, kGreen, windowTextColor(), 14);
    chkyellow = lamp(Picture1, "Yellow lamp", 3260, 1030, kYellow, buttonTextColor(), 15);
    chkred = lamp(Picture1, "Red lamp", 4260, 1010, kRed, buttonTextColor(), 16);
    // Decoded once for both commands.
    const QCursor hand = handCursor();
    chkAdp = command(Picture1, QStringLiteral("Adapter Info"), 240, 2055, 23, hand);
    chkReload = command(Picture1, QStringLiteral("Reload"), 2240, 3030, 18, hand);
    ProgressBar1 = new toolkit::ProgressBar(Picture1);
    ProgressBar1->Move(240, 2260, 5025, 160);
    ProgressBar1->setMin(0);
    ProgressBar1->setMax(100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTabIndex(24);
    ProgressBar1->setAccessibleName(QStringLiteral("Gathering Information..."));

    // In front of the panel, children of the tab control.
    WAN = readout(wanLan, 2280, 600, windowTextColor(), 1, QStringLiteral("Your Wan Ip Is:"));
    LAN = readout(wanLan, 2280, 1090, menuTextColor(), 2, QStringLiteral("Your Lan Ip Is:"));
    txtStatus = readout(wanLan, 5280, 600, kBlack, 3, QStringLiteral("Online Status:"));

    // The status text is never shown: the lamp bar's caption carries it for
    // a listener, and it is announced as it is set.
    auto* announcer = new toolkit::Announcer(&window);
    QObject::connect(txtStatus, &toolkit::TextBox::Change, announcer, [this, announcer] {
        const QString status = txtStatus->Text();
        const QString caption = chkstatus->Caption();
        chkstatus->setAccessibleName(status.isEmpty() ? caption : caption + QStringLiteral(" ") + status);
        announcer->announce(status);
    });

    toolkit::orderFocusByTabIndex(window);
    bindTimer(Timer1, [this] { Timer1_Timer(); });
    bind(chkAdp, &toolkit::CheckBox::Click, [this] { chkAdp_Click(); });
    bind(chkReload, &toolkit::CheckBox::Click, [this] { chkReload_Click(); });
    bind(WAN2, &toolkit::Label::Click, [this] { WAN2_Click(); });
}

// Tab "Legend": the picture, then the captions over it.
void Form1::createLegendTab(QWidget& legend) {
    Image1 = new toolkit::Image(&legend);
    Image1->Move(0, 360, 5580, 2670);
    Image1->setPicture(picturePath(kLegendPicturePath));
    Image1->setAccessibleName(QStringLiteral("Legend"));
    Image1->setAccessibleDescription(
        QStringLiteral("Four lamp bars. Modem only: green Online, yellow WAN Only. Modem and router: green Online, "
                       "yellow LAN /WAN. Router only: yellow LAN Only, red Offline. Offline: red Offline."));
    const auto legendLabel = [&legend](const QString& caption, float left, float top, float width, int tabIndex) {
        auto* label = new toolkit::Label(&legend);
        label->Move(left, top, width, 240);
        label->setFont(legendFont());
        label->setForeColor(kDarkGreen);
        label->setAlignment(Qt::AlignCenter);
        label->setCaption(caption);
        label->setAutoSize(true);
        label->setTabIndex(tabIndex);
        label->setAccessibleName(caption);
        return label;
    };
    lblYourOnline[0] = legendLabel(QStringLiteral("Your online with modem only."), 1320, 520, 2955, 19);
    lblYourOnline[1] = legendLabel(QStringLiteral("Your online with modem and router."), 960, 1120, 3615, 20);
    lblYourOffline[0] = legendLabel(QStringLiteral("Your offline connected to router only."), 720, 1720, 4140, 21);
    lblYourOffline[1] = legendLabel(QStringLiteral("Your offline."), 2040, 2320, 1380, 22);
}

// Tab "About / Help": the text, the emblem over its upper right part, the
// home-page strip at the bottom.
void Form1::createAboutTab(QWidget& about) {
    txtText1 = new toolkit::TextBox(&about, true, toolkit::TextBox::ScrollBars::Vertical);
    txtText1->Move(0, 360, 5490, 2400);
    txtText1->setColors(kGreen, kBlack);
    txtText1->setText(aboutText());
    txtText1->setTabIndex(11);
    txtText1->setAccessibleLabel(QStringLiteral("About / Help"));
    Picture4 = new toolkit::PictureBox(&about);
    Picture4->Move(4320, 360, 900, 825);
    Picture4->setBackColor(kBlack);
    Picture4->setBorder(false);
    Picture4->setPicture(picturePath(kEmblemPath));
    Picture4->setTabIndex(13);
    Picture4->setAccessibleName(QStringLiteral("Emblem"));
    Qor = new toolkit::CommandButton(&about);
    Qor->Move(0, 2740, 5535, 240);
    Qor->setCaption(QStringLiteral("Visit Tarnwick at ") + QString::fromLatin1(kHomePageUrl));
    Qor->setToolTip(QStringLiteral("Click to visit Tarnwick"));
    Qor->setTabIndex(12);
    Qor->setAccessibleName(Qor->Caption());
    bind(Qor, &toolkit::CommandButton::Click, [this] { Qor_Click(); });
}

void Form1::releaseControls() { static_cast<Form1Controls&>(*this) = Form1Controls{}; }

}  // namespace app
