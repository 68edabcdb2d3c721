// The main window as it is built at every load: its controls, their
// containers, stacking order, places, fonts and colours.
#include <QFont>

#include "app/Form1.h"
#include "app/Identity.h"

namespace app {

namespace {
QFont makeFont(const char* family, qreal points, bool bold, bool italic = false) {
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    return font;
}

QFont windowFont() { return makeFont("Tahoma", 8.25, false); }
QFont buttonFont() { return makeFont("Tahoma", 8.25, true); }
QFont readoutFont() { return makeFont("Let's go Digital", 14.25, true, true); }
QFont bannerFont() { return makeFont("Let's go Digital", 21.75, true, true); }
QFont legendFont() { return makeFont("Let's go Digital", 12, true, true); }

const QColor kGreen(0, 255, 0);
const QColor kDarkGreen(0, 192, 0);
const QColor kBlack(0, 0, 0);

toolkit::TextBox* readout(QWidget* parent, float left, float top, const QColor& background) {
    auto* box = new toolkit::TextBox(parent);
    box->Move(left, top, 3015, 405);
    box->setFont(readoutFont());
    box->setColors(kGreen, background);
    return box;
}

toolkit::Label* panelLabel(QWidget* parent, const QString& caption, float left, float top, float width,
                           float height, const QFont& font) {
    auto* label = new toolkit::Label(parent);
    label->Move(left, top, width, height);
    label->setFont(font);
    label->setForeColor(kGreen);
    label->setCaption(caption);
    label->setAutoSize(true);
    return label;
}

toolkit::CheckBox* graphicalCheck(QWidget* parent, const QString& caption, float left, float top,
                                  float width, const QColor& face, const QColor& fore) {
    auto* check = new toolkit::CheckBox(parent);
    check->Move(left, top, width, 340);
    check->setFont(buttonFont());
    check->setCaption(caption);
    check->setBackColor(face);
    check->setForeColor(fore);
    return check;
}
}  // namespace

toolkit::FormStyle Form1::style() const {
    return {QString::fromLatin1(kMainCaption), QSize(5490, 2940), QIcon(), toolkit::StartUpPosition::CenterScreen};
}

// Siblings are made back to front: a later sibling is drawn over an earlier one.
void Form1::createControls(QWidget& window) {
    window.setFont(windowFont());
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, kBlack);
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    SSTTab0 = new toolkit::TabControl(&window);
    SSTTab0->Move(0, 0, 5535, 3015);
    SSTTab0->setTabHeight(295);
    SSTTab0->setTabFont(legendFont());
    QWidget* wanLan = SSTTab0->addTab(QStringLiteral("WAN LAN"));
    QWidget* legend = SSTTab0->addTab(QStringLiteral("Legend"));
    QWidget* about = SSTTab0->addTab(QStringLiteral("About / Help"));

    txtStatus2 = new toolkit::TextBox(&window);
    txtStatus2->Move(5640, 1080, 735, 285);

    // Tab "WAN LAN": the black panel, then the read-outs in front of it.
    Picture1 = new toolkit::PictureBox(wanLan);
    Picture1->Move(0, 360, 5520, 2625);
    Picture1->setBackColor(kBlack);
    Picture1->setBorder(true);

    WAN2 = panelLabel(Picture1, QStringLiteral("Your Wan Ip Is:"), 240, 270, 1740, 285, readoutFont());
    WAN2->setToolTip(QStringLiteral("WAN IP NOT SHOWING UP - CLICK HERE."));
    LAN2 = panelLabel(Picture1, QStringLiteral("Your Lan Ip Is:"), 240, 745, 1740, 285, readoutFont());
    lblWorking = panelLabel(Picture1, QStringLiteral("Gathering Information..."), 480, 120, 4515, 435, bannerFont());
    lblLocal = panelLabel(Picture1, QStringLiteral("Localhost:"), 240, 1240, 1410, 285, readoutFont());
    Timer1 = new toolkit::Timer(Picture1);
    txtLocal = readout(Picture1, 2250, 1200, kBlack);
    chkstatus = graphicalCheck(Picture1, QStringLiteral("Online Status:"), 240, 1720, 2055, kBlack, kGreen);
    chkstatus->setEnabled(false);
    chkgreen = graphicalCheck(Picture1, QString(), 2250, 1720, 1040, kGreen, kBlack);
    chkgreen->setEnabled(false);
    chkyellow = graphicalCheck(Picture1, QString(), 3260, 1720, 1030, QColor(255, 255, 0), kBlack);
    chkyellow->setEnabled(false);
    chkred = graphicalCheck(Picture1, QString(), 4260, 1720, 1010, QColor(255, 0, 0), kBlack);
    chkred->setEnabled(false);
    chkAdp = graphicalCheck(Picture1, QStringLiteral("Adapter Info"), 240, 2040, 2055, kBlack, kGreen);
    chkReload = graphicalCheck(Picture1, QStringLiteral("Reload"), 2240, 2040, 3030, kBlack, kGreen);
    ProgressBar1 = new toolkit::ProgressBar(Picture1);
    ProgressBar1->Move(240, 2260, 5025, 160);
    ProgressBar1->setMin(0);
    ProgressBar1->setMax(100);
    ProgressBar1->setValue(0);

    WAN = readout(wanLan, 2280, 600, kBlack);
    LAN = readout(wanLan, 2280, 1090, kBlack);
    txtStatus = readout(wanLan, 5280, 600, kBlack);

    // Tab "Legend".
    Image1 = new toolkit::Image(legend);
    Image1->Move(0, 360, 5580, 2670);
    const auto legendLabel = [&](const QString& caption, float left, float top, float width) {
        auto* label = new toolkit::Label(legend);
        label->Move(left, top, width, 240);
        label->setFont(legendFont());
        label->setForeColor(kDarkGreen);
        label->setAlignment(Qt::AlignCenter);
        label->setCaption(caption);
        label->setAutoSize(true);
        return label;
    };
    lblYourOnline[0] = legendLabel(QStringLiteral("Your online with modem only."), 1320, 520, 2955);
    lblYourOnline[1] = legendLabel(QStringLiteral("Your online with modem and router."), 960, 1120, 3615);
    lblYourOffline[0] = legendLabel(QStringLiteral("Your offline connected to router only."), 720, 1720, 4140);
    lblYourOffline[1] = legendLabel(QStringLiteral("Your offline."), 2040, 2320, 1380);

    // Tab "About / Help".
    txtText1 = new toolkit::TextBox(about, true, toolkit::TextBox::ScrollBars::Vertical);
    txtText1->Move(0, 360, 5490, 2400);
    txtText1->setColors(kGreen, kBlack);
    Picture4 = new toolkit::PictureBox(about);
    Picture4->Move(4320, 360, 900, 825);
    Picture4->setBackColor(kBlack);
    Picture4->setBorder(false);
    Qor = new toolkit::CommandButton(about);
    Qor->Move(0, 2740, 5535, 240);
    Qor->setToolTip(QStringLiteral("Click to visit Tarnwick"));

    bindTimer(Timer1, [this] { Timer1_Timer(); });
}

void Form1::releaseControls() {
    SSTTab0 = nullptr;
    txtStatus2 = WAN = LAN = txtStatus = txtLocal = txtText1 = nullptr;
    Picture1 = Picture4 = nullptr;
    lblWorking = WAN2 = LAN2 = lblLocal = nullptr;
    lblYourOnline[0] = lblYourOnline[1] = lblYourOffline[0] = lblYourOffline[1] = nullptr;
    chkstatus = chkgreen = chkyellow = chkred = chkAdp = chkReload = nullptr;
    ProgressBar1 = nullptr;
    Timer1 = nullptr;
    Image1 = nullptr;
    Qor = nullptr;
}

}  // namespace app
