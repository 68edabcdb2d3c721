// The main window as it is created: every control's container, place, font,
// colours, state, focus order and tooltip; the stacking order; the tabs; the
// About text; what assistive technology is told.
#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QUrl>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

#include "app/Fonts.h"
#include "app/Form1.h"
#include "app/Identity.h"
#include "tests/app/CreatedForm1.h"
#include "tests/support/Fakes.h"
#include "toolkit/SystemColors.h"
#include "toolkit/Twips.h"

using testing_support::CreatedForm1;
using testing_support::FakePlatform;
using testing_support::flushDeletions;
using testing_support::RecordingPresenter;
using toolkit::toPixels;

namespace {

struct Layout : ::testing::Test {
    static void SetUpTestSuite() { app::installFontSubstitutes(app::resolveFontAliases()); }
    ~Layout() override { flushDeletions(); }
    RecordingPresenter presenter;
    toolkit::Application runtime{presenter};
    FakePlatform fakes;
};

QWidget* pageOf(const app::Form1& form, int tab) { return form.SSTTab0->page(tab); }

enum class Container { Window, Tab0, Tab1, Tab2, Picture1 };

QWidget* containerOf(const app::Form1& form, Container c) {
    switch (c) {
    case Container::Window: return form.window();
    case Container::Tab0: return pageOf(form, 0);
    case Container::Tab1: return pageOf(form, 1);
    case Container::Tab2: return pageOf(form, 2);
    case Container::Picture1: return form.Picture1;
    }
    return nullptr;
}

struct FontWanted {
    const char* family;
    qreal points;
    bool bold;
    bool italic;
};
// A layout font asks for an installed family: the one it names, or its stand-in
// (a missing name costs a fontconfig fallback sort for every new size).
void expectNamedOrStandIn(const QFont& font, const char* named) {
    const QString family = font.family();
    EXPECT_TRUE(QFontDatabase::families().contains(family)) << family.toStdString() << " is not installed";
    EXPECT_EQ(family.compare(QFont::substitute(QString::fromLatin1(named)), Qt::CaseInsensitive), 0)
        << family.toStdString() << " asked for in place of " << named;
}

constexpr FontWanted kWindowFont{"Tahoma", 8.25, false, false};
constexpr FontWanted kButtonFont{"Tahoma", 8.25, true, false};
constexpr FontWanted kReadout{"Let's go Digital", 14.25, true, true};
constexpr FontWanted kBanner{"Let's go Digital", 21.75, true, true};
constexpr FontWanted kLegend{"Let's go Digital", 12, true, true};

enum class Sizing { Fixed, ToCaption, ToCaptionCentred };

struct Row {
    const char* name;
    std::function<QWidget*(const app::Form1&)> control;
    Container container;
    float left, top, width, height;
    Sizing sizing;
    std::optional<FontWanted> font;
    std::function<QColor()> fore;  // null: not checked
    std::function<QColor()> back;
    bool enabled;
    int tabIndex;  // -1: none
    const char* toolTip;
};

QColor rgb(int r, int g, int b) { return QColor(r, g, b); }
std::function<QColor()> fixed(int r, int g, int b) {
    return [=] { return rgb(r, g, b); };
}
std::function<QColor()> system(toolkit::SystemColor color) {
    return [=] { return toolkit::systemColor(color); };
}

#define CONTROL(member) [](const app::Form1& f) -> QWidget* { return f.member; }

std::vector<Row> layoutTable() {
    const auto green = fixed(0, 255, 0);
    const auto black = fixed(0, 0, 0);
    return {
        {"SSTTab0", CONTROL(SSTTab0), Container::Window, 0, 0, 5535, 3015, Sizing::Fixed, std::nullopt, nullptr,
         nullptr, true, 0, ""},
        {"txtStatus2", CONTROL(txtStatus2), Container::Window, 5640, 1080, 735, 285, Sizing::Fixed, kWindowFont,
         nullptr, nullptr, true, 8, ""},
        {"WAN", CONTROL(WAN), Container::Tab0, 2280, 600, 3015, 405, Sizing::Fixed, kReadout, green,
         system(toolkit::SystemColor::WindowText), true, 1, ""},
        {"LAN", CONTROL(LAN), Container::Tab0, 2280, 1090, 3015, 405, Sizing::Fixed, kReadout, green,
         system(toolkit::SystemColor::MenuText), true, 2, ""},
        {"txtStatus", CONTROL(txtStatus), Container::Tab0, 5280, 600, 3015, 405, Sizing::Fixed, kReadout, green,
         black, true, 3, ""},
        {"Picture1", CONTROL(Picture1), Container::Tab0, 0, 360, 5520, 2625, Sizing::Fixed, std::nullopt, nullptr,
         black, true, 4, ""},
        {"lblWorking", CONTROL(lblWorking), Container::Picture1, 480, 120, 4515, 435, Sizing::ToCaption, kBanner,
         green, nullptr, true, 7, ""},
        {"WAN2", CONTROL(WAN2), Container::Picture1, 240, 270, 1740, 285, Sizing::ToCaption, kReadout, green, nullptr,
         true, 5, "WAN IP NOT SHOWING UP - CLICK HERE."},
        {"LAN2", CONTROL(LAN2), Container::Picture1, 240, 745, 1740, 285, Sizing::ToCaption, kReadout, green, nullptr,
         true, 6, ""},
        {"txtLocal", CONTROL(txtLocal), Container::Picture1, 2250, 1200, 3015, 405, Sizing::Fixed, kReadout, green,
         black, true, 9, ""},
        {"lblLocal", CONTROL(lblLocal), Container::Picture1, 240, 1240, 1410, 285, Sizing::ToCaption, kReadout, green,
         nullptr, true, 10, ""},
        {"chkstatus", CONTROL(chkstatus), Container::Picture1, 240, 1720, 2055, 340, Sizing::Fixed, kButtonFont, green,
         black, false, 17, ""},
        {"chkgreen", CONTROL(chkgreen), Container::Picture1, 2250, 1720, 1040, 340, Sizing::Fixed, kButtonFont,
         system(toolkit::SystemColor::WindowText), green, false, 14, ""},
        {"chkyellow", CONTROL(chkyellow), Container::Picture1, 3260, 1720, 1030, 340, Sizing::Fixed, kButtonFont,
         system(toolkit::SystemColor::ButtonText), fixed(255, 255, 0), false, 15, ""},
        {"chkred", CONTROL(chkred), Container::Picture1, 4260, 1720, 1010, 340, Sizing::Fixed, kButtonFont,
         system(toolkit::SystemColor::ButtonText), fixed(255, 0, 0), false, 16, ""},
        {"chkAdp", CONTROL(chkAdp), Container::Picture1, 240, 2040, 2055, 340, Sizing::Fixed, kButtonFont, green,
         black, true, 23, ""},
        {"chkReload", CONTROL(chkReload), Container::Picture1, 2240, 2040, 3030, 340, Sizing::Fixed, kButtonFont, green,
         black, true, 18, ""},
        {"ProgressBar1", CONTROL(ProgressBar1), Container::Picture1, 240, 2260, 5025, 160, Sizing::Fixed, std::nullopt,
         nullptr, nullptr, true, 24, ""},
        {"lblYourOnline(0)", CONTROL(lblYourOnline[0]), Container::Tab1, 1320, 520, 2955, 240,
         Sizing::ToCaptionCentred, kLegend, fixed(0, 192, 0), nullptr, true, 19, ""},
        {"lblYourOnline(1)", CONTROL(lblYourOnline[1]), Container::Tab1, 960, 1120, 3615, 240,
         Sizing::ToCaptionCentred, kLegend, fixed(0, 192, 0), nullptr, true, 20, ""},
        {"lblYourOffline(0)", CONTROL(lblYourOffline[0]), Container::Tab1, 720, 1720, 4140, 240,
         Sizing::ToCaptionCentred, kLegend, fixed(0, 192, 0), nullptr, true, 21, ""},
        {"lblYourOffline(1)", CONTROL(lblYourOffline[1]), Container::Tab1, 2040, 2320, 1380, 240,
         Sizing::ToCaptionCentred, kLegend, fixed(0, 192, 0), nullptr, true, 22, ""},
        {"Image1", CONTROL(Image1), Container::Tab1, 0, 360, 5580, 2670, Sizing::Fixed, std::nullopt, nullptr, nullptr,
         true, -1, ""},
        {"Qor", CONTROL(Qor), Container::Tab2, 0, 2740, 5535, 240, Sizing::Fixed, kWindowFont, nullptr, nullptr, true,
         12, "Click to visit Tarnwick"},
        {"Picture4", CONTROL(Picture4), Container::Tab2, 4320, 360, 900, 825, Sizing::Fixed, std::nullopt, nullptr,
         black, true, 13, ""},
        {"txtText1", CONTROL(txtText1), Container::Tab2, 0, 360, 5490, 2400, Sizing::Fixed, kWindowFont, green, black,
         true, 11, ""},
    };
}

// The colours a control draws with, whatever kind it is.
QColor foreColour(QWidget* w) {
    if (auto* check = qobject_cast<toolkit::CheckBox*>(w)) return check->ForeColor();
    if (auto* box = qobject_cast<toolkit::TextBox*>(w)) return box->editor()->palette().color(QPalette::Text);
    return w->palette().color(QPalette::WindowText);
}
QColor backColour(QWidget* w) {
    if (auto* check = qobject_cast<toolkit::CheckBox*>(w)) return check->BackColor();
    if (auto* box = qobject_cast<toolkit::TextBox*>(w)) return box->editor()->palette().color(QPalette::Base);
    return w->palette().color(QPalette::Window);
}

TEST_F(Layout, EveryControlIsCreatedAsTheTableSays) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    for (const Row& row : layoutTable()) {
        SCOPED_TRACE(row.name);
        QWidget* w = row.control(form);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), containerOf(form, row.container)) << "container";

        // Places count from the container's client area, inside its border.
        const QRect g = w->geometry().translated(-w->parentWidget()->contentsRect().topLeft());
        // A centred caption keeps its centre, not its left edge (checked below).
        if (row.sizing != Sizing::ToCaptionCentred) {
            EXPECT_EQ(g.x(), toPixels(row.left));
        }
        EXPECT_EQ(g.y(), toPixels(row.top));
        if (row.sizing == Sizing::Fixed) {
            EXPECT_EQ(g.width(), toPixels(row.width));
            EXPECT_EQ(g.height(), toPixels(row.height));
        }

        if (row.font) {
            const QFont f = w->font();
            expectNamedOrStandIn(f, row.font->family);
            EXPECT_DOUBLE_EQ(f.pointSizeF(), row.font->points);
            EXPECT_EQ(f.bold(), row.font->bold);
            EXPECT_EQ(f.italic(), row.font->italic);
        }
        if (row.fore) {
            EXPECT_EQ(foreColour(w), row.fore()) << "fore colour";
        }
        if (row.back) {
            EXPECT_EQ(backColour(w), row.back()) << "back colour";
        }

        EXPECT_FALSE(w->isHidden()) << "created visible";
        EXPECT_EQ(w->isEnabled(), row.enabled);
        EXPECT_EQ(w->property(toolkit::kTabIndexProperty).isValid() ? w->property(toolkit::kTabIndexProperty).toInt() : -1,
                  row.tabIndex);
        EXPECT_EQ(w->toolTip(), QString::fromLatin1(row.toolTip));
    }
    // Check boxes start unchecked, the progress bar empty, the texts empty.
    for (auto* check : {form.chkstatus, form.chkgreen, form.chkyellow, form.chkred, form.chkAdp, form.chkReload})
        EXPECT_EQ(check->Value(), 0);
    EXPECT_EQ(form.chkstatus->Caption(), QStringLiteral("Online Status:"));
    EXPECT_EQ(form.chkAdp->Caption(), QStringLiteral("Adapter Info"));
    EXPECT_EQ(form.chkReload->Caption(), QStringLiteral("Reload"));
    for (auto* lamp : {form.chkgreen, form.chkyellow, form.chkred}) EXPECT_TRUE(lamp->Caption().isEmpty());
    for (auto* box : {form.WAN, form.LAN, form.txtLocal, form.txtStatus, form.txtStatus2}) EXPECT_TRUE(box->Text().isEmpty());
    EXPECT_EQ(form.ProgressBar1->Min(), 0.0f);
    EXPECT_EQ(form.ProgressBar1->Max(), 100.0f);
    EXPECT_EQ(form.ProgressBar1->Value(), 0.0f);
    EXPECT_EQ(form.Timer1->Interval(), 0);
    EXPECT_TRUE(form.Timer1->Enabled());
    EXPECT_EQ(form.Timer1->parent(), form.Picture1);
    EXPECT_EQ(form.lblWorking->Caption(), QStringLiteral("Gathering Information..."));
    EXPECT_EQ(form.WAN2->Caption(), QStringLiteral("Your Wan Ip Is:"));
    EXPECT_EQ(form.LAN2->Caption(), QStringLiteral("Your Lan Ip Is:"));
    EXPECT_EQ(form.lblLocal->Caption(), QStringLiteral("Localhost:"));
    EXPECT_EQ(form.lblYourOnline[0]->Caption(), QStringLiteral("Your online with modem only."));
    EXPECT_EQ(form.lblYourOnline[1]->Caption(), QStringLiteral("Your online with modem and router."));
    EXPECT_EQ(form.lblYourOffline[0]->Caption(), QStringLiteral("Your offline connected to router only."));
    EXPECT_EQ(form.lblYourOffline[1]->Caption(), QStringLiteral("Your offline."));
    // Picture boxes do not take focus; the panel has a single-line border, the emblem none.
    EXPECT_EQ(form.Picture1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(form.Picture4->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(form.Picture1->frameWidth(), 1);
    EXPECT_EQ(form.Picture4->frameWidth(), 0);
    EXPECT_TRUE(form.txtText1->MultiLine());
    auto* about = qobject_cast<QPlainTextEdit*>(form.txtText1->editor());
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(about->isReadOnly()) << "the About text is not locked";
    EXPECT_EQ(about->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(Layout, TheWindowHasAFixedClientAreaCaptionIconAndNoMinMaxButtons) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Show();
    QWidget* w = form.window();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("{Qor} Lumenfold v1.5"));
    EXPECT_EQ(w->size(), QSize(366, 196));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the user cannot resize it";
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(w->windowIcon().isNull());
    EXPECT_TRUE(w->windowIcon().availableSizes().contains(QSize(16, 16)));
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(0, 0, 0));
    expectNamedOrStandIn(w->font(), "Tahoma");
    EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 8.25);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(w->geometry().center().x(), screen.center().x(), 2);
    EXPECT_NEAR(w->geometry().center().y(), screen.center().y(), 2);

    // The intended cut-offs: the tab control, the bottom of Qor, txtStatus2.
    EXPECT_EQ(form.SSTTab0->geometry().right() - (w->width() - 1), 3);
    EXPECT_EQ(form.SSTTab0->geometry().bottom() - (w->height() - 1), 5);
    EXPECT_GT(form.Qor->geometry().bottom(), w->height() - 1);
    EXPECT_GE(form.txtStatus2->geometry().left(), w->width());
    EXPECT_EQ(form.SSTTab0->tabHeightPixels(), toPixels(295));
}

// Children are stacked in creation order: the front-most comes last.
std::vector<QWidget*> frontToBack(QWidget* container, const std::vector<QWidget*>& ours) {
    std::vector<QWidget*> order;
    const QObjectList children = container->children();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (auto* w = qobject_cast<QWidget*>(*it); w && std::find(ours.begin(), ours.end(), w) != ours.end())
            order.push_back(w);
    return order;
}

TEST_F(Layout, SiblingsAreStackedFrontToBackAsListed) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    const auto expect = [](QWidget* container, std::vector<QWidget*> listed) {
        EXPECT_EQ(frontToBack(container, listed), listed) << container->metaObject()->className();
    };
    expect(form.window(), {form.txtStatus2, form.SSTTab0});
    expect(pageOf(form, 0), {form.txtStatus, form.LAN, form.WAN, form.Picture1});
    expect(pageOf(form, 1), {form.lblYourOffline[1], form.lblYourOffline[0], form.lblYourOnline[1],
                             form.lblYourOnline[0], form.Image1});
    expect(pageOf(form, 2), {form.Qor, form.Picture4, form.txtText1});
    expect(form.Picture1, {form.ProgressBar1, form.chkReload, form.chkAdp, form.chkred, form.chkyellow,
                           form.chkgreen, form.chkstatus, form.txtLocal, form.lblLocal, form.lblWorking, form.LAN2,
                           form.WAN2});
}

TEST_F(Layout, FocusMovesInTabIndexOrder) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    // Walk the chain as the Tab key does: widgets that take focus by Tab,
    // each counted as the control it belongs to (a text box's editor).
    std::vector<int> order;
    QWidget* w = form.SSTTab0;
    int steps = 0;
    do {
        if (w->focusPolicy() & Qt::TabFocus) {
            QWidget* control = w;
            while (control && !control->property(toolkit::kTabIndexProperty).isValid()) control = control->parentWidget();
            if (control) {
                const int index = control->property(toolkit::kTabIndexProperty).toInt();
                if (order.empty() || order.back() != index) order.push_back(index);
            }
        }
        w = w->nextInFocusChain();
    } while (w != form.SSTTab0 && ++steps < 1000);
    // Every control that can take focus, in ascending tab index.
    // txtStatus2 (8) lies beyond the window's edge: focus there would be
    // on nothing the user can see.
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 9, 11, 12, 14, 15, 16, 17, 18, 23}));
}

// Tab in a shown window goes round the focusable controls in tab-index
// order and back to the tab control; Shift+Tab goes the other way.
TEST_F(Layout, TheTabKeyCyclesThroughTheControlsAndBackToTheTabControl) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Show();
    QWidget* window = form.window();
    QApplication::setActiveWindow(window);
    form.SSTTab0->setFocus();
    const auto press = [&](Qt::Key key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window->focusWidget(), &down);
        QWidget* w = window->focusWidget();
        while (w && !w->property(toolkit::kTabIndexProperty).isValid()) w = w->parentWidget();
        return w ? w->property(toolkit::kTabIndexProperty).toInt() : -1;
    };
    std::vector<int> forward, backward;
    for (int i = 0; i < 8; ++i) forward.push_back(press(Qt::Key_Tab));
    for (int i = 0; i < 8; ++i) backward.push_back(press(Qt::Key_Backtab));
    // The lamps are disabled, so skipped; txtStatus2, beyond the window's
    // edge, takes no focus but keeps its text.
    EXPECT_EQ(forward, (std::vector<int>{1, 2, 3, 9, 18, 23, 0, 1}));
    EXPECT_EQ(backward, (std::vector<int>{0, 23, 18, 9, 3, 2, 1, 0}));
    form.txtStatus2->setText(QStringLiteral("online"));
    EXPECT_EQ(form.txtStatus2->Text(), QStringLiteral("online"));

    // Tab leaves the About text, which keeps its text, on to Qor.
    form.SSTTab0->setTab(2);
    form.txtText1->editor()->setFocus();
    const QString about = form.txtText1->Text();
    EXPECT_EQ(press(Qt::Key_Tab), 12);
    EXPECT_EQ(form.txtText1->Text(), about);
    form.txtText1->editor()->setFocus();
    EXPECT_EQ(press(Qt::Key_Backtab), 0);

    // Ctrl+Tab and Ctrl+PageDown/PageUp switch tabs from inside a page, and
    // the tab row takes the focus (the page that had it is gone).
    form.SSTTab0->setTab(0);
    form.LAN->editor()->setFocus();
    // Through the shortcut map, as keys from the keyboard go.
    const auto chord = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(window->focusWidget(), key, modifiers);
        return form.SSTTab0->Tab();
    };
    EXPECT_EQ(chord(Qt::Key_Tab, Qt::ControlModifier), 1);
    EXPECT_EQ(window->focusWidget(), form.SSTTab0);
    EXPECT_EQ(chord(Qt::Key_PageDown, Qt::ControlModifier), 2);
    EXPECT_EQ(chord(Qt::Key_PageDown, Qt::ControlModifier), 0) << "wraps round";
    EXPECT_EQ(chord(Qt::Key_PageUp, Qt::ControlModifier), 2);
    EXPECT_EQ(chord(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), 1);
}

TEST_F(Layout, TheTabsHaveTheirCaptionsInTheDigitalFont) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    ASSERT_EQ(form.SSTTab0->Tabs(), 3);
    EXPECT_EQ(form.SSTTab0->TabCaption(0), QStringLiteral("WAN LAN"));
    EXPECT_EQ(form.SSTTab0->TabCaption(1), QStringLiteral("Legend"));
    EXPECT_EQ(form.SSTTab0->TabCaption(2), QStringLiteral("About / Help"));
    EXPECT_EQ(form.SSTTab0->Tab(), 0);
    const QFont f = form.SSTTab0->tabFont();
    expectNamedOrStandIn(f, "Let's go Digital");
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 12);
    EXPECT_TRUE(f.bold());
    EXPECT_TRUE(f.italic());
    EXPECT_EQ(form.SSTTab0->tabCaptionColor(), QColor(0, 0, 0));
    EXPECT_EQ(form.SSTTab0->tabFaceColor(), toolkit::systemColor(toolkit::SystemColor::ButtonFace));
    // Each caption fits its tab in whatever font stands in.
    const QFontMetrics metrics(f);
    for (int i = 0; i < 3; ++i)
        EXPECT_LE(metrics.horizontalAdvance(form.SSTTab0->TabCaption(i)), form.SSTTab0->tabRect(i).width() - 6);
}

TEST_F(Layout, TheDigitalFontIsSubstitutedAndEveryCaptionFitsItsPlace) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    const QString resolved = QFontInfo(form.WAN2->font()).family();
    EXPECT_TRUE(resolved == QLatin1String(app::kDigitalFamily) || resolved == QLatin1String(app::kDigitalSubstitute))
        << resolved.toStdString();
    EXPECT_TRUE(QFontInfo(form.lblWorking->font()).italic());
    EXPECT_TRUE(QFontInfo(form.lblWorking->font()).bold());
    EXPECT_NE(QFontInfo(form.Qor->font()).family(), QString()) << "Tahoma falls back to a sans serif";

    // Labels are as wide as their caption.
    for (toolkit::Label* label : {form.lblWorking, form.WAN2, form.LAN2, form.lblLocal, form.lblYourOnline[0],
                                  form.lblYourOnline[1], form.lblYourOffline[0], form.lblYourOffline[1]}) {
        SCOPED_TRACE(label->Caption().toStdString());
        const QFontMetrics m(label->font());
        EXPECT_GE(label->width(), m.horizontalAdvance(label->Caption()));
        EXPECT_LE(label->width(), m.horizontalAdvance(label->Caption()) + m.averageCharWidth());
        EXPECT_EQ(label->height(), m.height());
    }
    // Nothing runs into its neighbour or out of the window: each label of
    // the panel ends before its text box begins, the banner stays on the
    // panel, and the legend captions stay centred on the tab.
    const auto rightInTab = [&](QWidget* w) { return w->mapTo(form.SSTTab0, QPoint(w->width(), 0)).x(); };
    EXPECT_LT(rightInTab(form.WAN2), form.WAN->x());
    EXPECT_LT(rightInTab(form.LAN2), form.LAN->x());
    EXPECT_LT(form.lblLocal->geometry().right(), form.txtLocal->x());
    EXPECT_LE(form.lblWorking->geometry().right(), form.Picture1->width() - 2);
    for (toolkit::Label* label :
         {form.lblYourOnline[0], form.lblYourOnline[1], form.lblYourOffline[0], form.lblYourOffline[1]}) {
        SCOPED_TRACE(label->Caption().toStdString());
        const float centre = toolkit::toTwips(label->x()) + toolkit::toTwips(label->width()) / 2;
        EXPECT_NEAR(centre, 5535.0f / 2, 40 + toolkit::kTwipsPerPixel);
        EXPECT_GE(label->x(), 0);
        EXPECT_LE(label->geometry().right(), form.window()->width() - 1);
    }
    const QFontMetrics button(form.Qor->font());
    EXPECT_LE(button.horizontalAdvance(form.Qor->Caption()), form.window()->width() - 8);
    for (toolkit::CheckBox* check : {form.chkstatus, form.chkAdp, form.chkReload})
        EXPECT_LE(QFontMetrics(check->font()).horizontalAdvance(check->Caption()), check->width() - 6);
    // The captions the refresh cycle gives each lamp fit it too.
    const std::pair<toolkit::CheckBox*, const char*> lampCaptions[] = {
        {form.chkgreen, "Online"}, {form.chkyellow, "LAN Only"}, {form.chkyellow, "WAN/LAN"},
        {form.chkyellow, "WAN Only"}, {form.chkred, "Offline"}};
    for (const auto& [lamp, caption] : lampCaptions)
        EXPECT_LE(QFontMetrics(lamp->font()).horizontalAdvance(QString::fromLatin1(caption)), lamp->width() - 6)
            << caption;
}

TEST_F(Layout, TheAboutTextIsExact) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    const QString expected = QStringLiteral(
        "\r\n"
        " Lumenfold v1.5\r\n"
        "\r\n"
        " Written by Tarnwick, the Lumenfold developers\r\n"
        "\r\n"
        " Contact:\r\n"
        " http://www.lumenfold.net\r\n"
        " support@lumenfold.net\r\n"
        "\r\n"
        " Depending on your current connection status it could take\r\n"
        " up to 30 sec. for this program to detect your connection\r\n"
        " and ip. This mostly happens when your connected to a \r\n"
        " router and not online.\r\n"
        "\r\n"
        " WAN - A wide area network (WAN) is the ip address \r\n"
        " assigned to your modem by your internet provider.\r\n"
        "\r\n"
        " LAN - A local area network (LAN) is the ip address assigned \r\n"
        " from your router.\r\n"
        "\r\n"
        " LOCALHOST - On most computer systems, resolves to the IP address \r\n"
        " 127.0.0.1, which is the most commonly used loopback address.\r\n");
    EXPECT_EQ(form.txtText1->Text().toStdString(), expected.toStdString());
    // 21 lines after the leading line break, each ended by CR LF.
    const QStringList lines = form.txtText1->Text().split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), 23);
    EXPECT_FALSE(form.txtText1->Text().contains(QRegularExpression(QStringLiteral("[^\r]\n|\r[^\n]"))));
    EXPECT_EQ(lines[6], QStringLiteral(" ") + QString::fromLatin1(app::kHomePageUrl));
    EXPECT_EQ(lines[7], QStringLiteral(" ") + QString::fromLatin1(app::kContactAddress));
    const QString mailHost = QString::fromLatin1(app::kContactAddress).section(u'@', 1);
    EXPECT_TRUE(QUrl(QString::fromLatin1(app::kHomePageUrl)).host().endsWith(mailHost)) << "same host";
    EXPECT_EQ(form.Qor->Caption(), QStringLiteral("Visit Tarnwick at http://www.lumenfold.net"));
    EXPECT_TRUE(form.Qor->Caption().contains(QString::fromLatin1(app::kHomePageUrl)));
}

// A snapshot of everything a tab switch must leave alone.
struct State {
    std::vector<QString> texts;
    std::vector<bool> visible;
    std::vector<QRect> geometry;
    std::vector<int> values;
    float progress = 0;
    int interval = 0;
    bool operator==(const State&) const = default;
};

std::vector<QWidget*> tabControls(const app::Form1& f, int tab) {
    switch (tab) {
    case 0:
        return {f.Picture1, f.WAN, f.LAN, f.txtStatus, f.lblWorking, f.WAN2, f.LAN2, f.txtLocal, f.lblLocal,
                f.chkstatus, f.chkgreen, f.chkyellow, f.chkred, f.chkAdp, f.chkReload, f.ProgressBar1};
    case 1: return {f.lblYourOffline[1], f.lblYourOffline[0], f.lblYourOnline[1], f.lblYourOnline[0], f.Image1};
    default: return {f.Qor, f.Picture4, f.txtText1};
    }
}

State snapshot(const app::Form1& f) {
    State s;
    for (int tab = 0; tab < 3; ++tab)
        for (QWidget* w : tabControls(f, tab)) {
            s.visible.push_back(!w->isHidden());
            s.geometry.push_back(w->geometry());
        }
    for (auto* box : {f.WAN, f.LAN, f.txtLocal, f.txtStatus, f.txtStatus2, f.txtText1}) s.texts.push_back(box->Text());
    for (auto* check : {f.chkstatus, f.chkgreen, f.chkyellow, f.chkred, f.chkAdp, f.chkReload}) {
        s.values.push_back(check->Value());
        s.texts.push_back(check->Caption());
    }
    s.progress = f.ProgressBar1->Value();
    s.interval = f.Timer1->Interval();
    return s;
}

void clickTab(app::Form1& f, int tab) {
    const QPointF at = f.SSTTab0->tabRect(tab).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, f.SSTTab0->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(f.SSTTab0, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, f.SSTTab0->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(f.SSTTab0, &release);
}

TEST_F(Layout, SelectingATabShowsOnlyItsControlsAndChangesNothingElse) {
    // The real start-up: the gathering display, result fields hidden.
    fakes.transfer->answer = [](const std::string&) { return std::string("Current IP Address: 203.0.113.7"); };
    app::Form1 form(runtime, fakes.platform);
    form.Show();
    ASSERT_TRUE(form.isLoaded());
    testing_support::openEveryTab(*form.SSTTab0);
    const State before = snapshot(form);
    for (int tab : {1, 2, 0, 2, 1, 0}) {
        SCOPED_TRACE(tab);
        clickTab(form, tab);
        EXPECT_EQ(form.SSTTab0->Tab(), tab);
        for (int other = 0; other < 3; ++other)
            for (QWidget* w : tabControls(form, other))
                EXPECT_EQ(w->isVisibleTo(form.window()), other == tab && w->isVisibleTo(w->parentWidget()))
                    << w->metaObject()->className() << " on tab " << other;
        EXPECT_TRUE(snapshot(form) == before) << "a tab switch changed a control";
    }
    // During the gathering display the first tab shows the banner and the bar.
    EXPECT_TRUE(form.lblWorking->isVisibleTo(form.window()));
    EXPECT_TRUE(form.ProgressBar1->isVisibleTo(form.window()));
    EXPECT_FALSE(form.WAN->isVisibleTo(form.window()));
    EXPECT_FALSE(form.txtStatus->isVisibleTo(form.window()));
    // The keyboard switches tabs too, once the tab control has focus.
    form.SSTTab0->setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(form.SSTTab0, &right);
    EXPECT_EQ(form.SSTTab0->Tab(), 1);
    EXPECT_TRUE(snapshot(form) == before);
    form.Unload();
}

// ---------------------------------------------------------------- accessibility

QString accessibleText(QWidget* w, QAccessible::Text kind) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(kind) : QString();
}

TEST_F(Layout, EveryControlHasAnAccessibleName) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    for (const Row& row : layoutTable()) {
        SCOPED_TRACE(row.name);
        // A text box is read in its editor, the frame around it unnamed.
        QWidget* control = row.control(form);
        if (auto* box = qobject_cast<toolkit::TextBox*>(control)) control = box->editor();
        EXPECT_FALSE(accessibleText(control, QAccessible::Name).isEmpty());
    }
    // A text box takes the caption of the label beside it, in the editor
    // that receives the focus as well.
    EXPECT_EQ(accessibleText(form.WAN->editor(), QAccessible::Name), form.WAN2->Caption());
    EXPECT_EQ(accessibleText(form.LAN->editor(), QAccessible::Name), form.LAN2->Caption());
    EXPECT_EQ(accessibleText(form.txtLocal->editor(), QAccessible::Name), QStringLiteral("Localhost"));
    EXPECT_EQ(accessibleText(form.chkgreen, QAccessible::Name), QStringLiteral("Green lamp: off"));
    EXPECT_EQ(accessibleText(form.chkyellow, QAccessible::Name), QStringLiteral("Yellow lamp: off"));
    EXPECT_EQ(accessibleText(form.chkred, QAccessible::Name), QStringLiteral("Red lamp: off"));
    EXPECT_EQ(accessibleText(form.chkAdp, QAccessible::Name), QStringLiteral("Adapter Info"));
    EXPECT_EQ(accessibleText(form.chkstatus, QAccessible::Name), QStringLiteral("Online Status:"));
}

// What a screen reader is told of each thing, walked down from the window
// as it walks: frames only at the top, the tabs as page tabs that hold
// their pages, and every object's parent the one that lists it.
QAccessible::Role roleOf(QWidget* w) { return QAccessible::queryAccessibleInterface(w)->role(); }

void expectTreeConsistent(QAccessibleInterface* node, int depth, std::vector<QAccessible::Role>& innerRoles) {
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        ASSERT_NE(child, nullptr) << node->text(QAccessible::Name).toStdString() << " child " << i;
        EXPECT_EQ(child->parent(), node) << child->text(QAccessible::Name).toStdString();
        EXPECT_EQ(node->indexOfChild(child), i) << child->text(QAccessible::Name).toStdString();
        innerRoles.push_back(child->role());
        expectTreeConsistent(child, depth + 1, innerRoles);
    }
}

TEST_F(Layout, AScreenReaderFindsAFrameOfNamedControlsAndPageTabs) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Show();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form.window());
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("{Qor} Lumenfold v1.5"));
    std::vector<QAccessible::Role> inner;
    expectTreeConsistent(window, 0, inner);
    // A frame inside the window would be taken for another window.
    EXPECT_EQ(std::count(inner.begin(), inner.end(), QAccessible::Window), 0);
    EXPECT_EQ(std::count(inner.begin(), inner.end(), QAccessible::Border), 0);

    EXPECT_EQ(roleOf(form.WAN->editor()), QAccessible::EditableText);
    EXPECT_EQ(roleOf(form.txtText1->editor()), QAccessible::EditableText);
    EXPECT_EQ(roleOf(form.chkReload), QAccessible::Button);
    EXPECT_EQ(roleOf(form.chkAdp), QAccessible::Button);
    EXPECT_EQ(roleOf(form.chkstatus), QAccessible::StaticText);
    EXPECT_EQ(roleOf(form.chkgreen), QAccessible::StaticText);
    EXPECT_EQ(roleOf(form.ProgressBar1), QAccessible::ProgressBar);
    EXPECT_EQ(roleOf(form.Image1), QAccessible::Graphic);
    EXPECT_EQ(roleOf(form.Picture4), QAccessible::Graphic);

    QAccessibleInterface* tabs = QAccessible::queryAccessibleInterface(form.SSTTab0);
    EXPECT_EQ(tabs->role(), QAccessible::PageTabList);
    ASSERT_EQ(tabs->childCount(), 3) << "only tabs, so the current one is 'n of 3'";
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* tab = tabs->child(i);
        EXPECT_EQ(tab->role(), QAccessible::PageTab);
        EXPECT_EQ(tab->text(QAccessible::Name), form.SSTTab0->TabCaption(i));
        EXPECT_EQ(tab->state().selected, i == 0);
        ASSERT_EQ(tab->childCount(), 1);
        EXPECT_EQ(tab->child(0)->object(), form.SSTTab0->page(i));
    }
    // Pressing a tab selects it, as a click does.
    tabs->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form.SSTTab0->Tab(), 2);
    EXPECT_TRUE(tabs->child(2)->state().selected);
    EXPECT_FALSE(tabs->child(0)->state().selected);
    // Where the focus is, the reader is told so in the tab row.
    form.SSTTab0->setFocus();
    if (form.SSTTab0->hasFocus()) {
        EXPECT_EQ(tabs->focusChild(), tabs->child(2));
    }
}

// ---------------------------------------------------------------- drawing

QColor pixelAt(const QImage& image, QPoint logical) {
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(logical.x() * ratio), static_cast<int>(logical.y() * ratio));
}

TEST_F(Layout, TheWindowDrawsItsPanelLampsAndPictures) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Show();
    form.chkred->setValue(1);
    QImage shot = form.window()->grab().toImage();
    const qreal ratio = form.window()->devicePixelRatioF();
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2")) {
        EXPECT_EQ(ratio, 2.0);
    }
    EXPECT_EQ(shot.size(), (QSizeF(366, 196) * ratio).toSize()) << "drawn at the screen's full resolution";

    const auto centreOf = [&](QWidget* w) { return w->mapTo(form.window(), w->rect().center()); };
    // Disabled lamps keep their faces; a checked lamp still shows its face.
    EXPECT_EQ(pixelAt(shot, centreOf(form.chkgreen) + QPoint(0, -6)), QColor(0, 255, 0));
    EXPECT_EQ(pixelAt(shot, centreOf(form.chkyellow) + QPoint(0, -6)), QColor(255, 255, 0));
    EXPECT_EQ(pixelAt(shot, centreOf(form.chkred) + QPoint(0, -6)), QColor(255, 0, 0));
    // Pressed: the checked lamp's top edge is dark, an unchecked one's light.
    const auto topEdge = [&](QWidget* w) { return pixelAt(shot, w->mapTo(form.window(), QPoint(w->width() / 2, 0))); };
    EXPECT_LT(topEdge(form.chkred).lightness(), 100);
    EXPECT_GT(topEdge(form.chkyellow).lightness(), 200);
    // The panel is black.
    EXPECT_EQ(pixelAt(shot, form.Picture1->mapTo(form.window(), QPoint(300, 150))), QColor(0, 0, 0));

    // The legend picture at its natural size, its first bar's green cell
    // under the first caption.
    form.SSTTab0->setTab(1);
    shot = form.window()->grab().toImage();
    const QPoint legendOrigin = form.Image1->mapTo(form.window(), QPoint(0, 0));
    const QColor cell = pixelAt(shot, legendOrigin + QPoint(95, 31));
    EXPECT_GT(cell.green(), 230);
    EXPECT_LT(cell.red(), 30);
    EXPECT_LT(form.lblYourOnline[0]->geometry().bottom(), form.Image1->y() + 28);
    EXPECT_GT(form.lblYourOnline[0]->geometry().bottom(), form.Image1->y() + 28 - 6);

    // The emblem over the About text: transparent corners show black.
    form.SSTTab0->setTab(2);
    shot = form.window()->grab().toImage();
    const QPoint emblem = form.Picture4->mapTo(form.window(), QPoint(0, 0));
    EXPECT_EQ(pixelAt(shot, emblem + QPoint(1, 1)), QColor(0, 0, 0));
    const QColor skull = pixelAt(shot, emblem + QPoint(30, 8));
    EXPECT_GT(skull.lightness(), 150);
    EXPECT_EQ(skull.red(), skull.blue()) << "grey";
}

TEST_F(Layout, TheCommandsShowTheHandCursor) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    for (toolkit::CheckBox* command : {form.chkAdp, form.chkReload}) {
        EXPECT_EQ(command->cursor().shape(), Qt::BitmapCursor);
        EXPECT_EQ(command->cursor().hotSpot(), QPoint(12, 1));
        EXPECT_EQ(command->cursor().pixmap().size(), QSize(32, 32));
    }
    EXPECT_NE(form.chkred->cursor().shape(), Qt::BitmapCursor);
}

// Tiled, or resized where no window manager keeps its fixed size, the
// window holds the form at its top-left corner: beyond the client area is
// the form's black background, and nothing of txtStatus2 or of the tab
// control's cut-off edges shows there.
TEST_F(Layout, AWindowLargerThanTheFormShowsOnlyTheForm) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Show();
    form.txtStatus2->setText(QStringLiteral("online"));
    QCoreApplication::sendPostedEvents();
    form.window()->setFixedSize(600, 400);  // as a tiling window manager makes it
    EXPECT_FLOAT_EQ(form.ScaleWidth(), 5490);
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 2940);
    const QImage shot = form.window()->grab().toImage();
    int seen = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 600; ++x)
            if ((x >= 366 || y >= 196) && pixelAt(shot, QPoint(x, y)) != QColor(0, 0, 0)) ++seen;
    EXPECT_EQ(seen, 0) << "pixels beyond the client area that are not the form's background";
    // Inside, the form is drawn as ever.
    EXPECT_EQ(pixelAt(shot, form.SSTTab0->tabRect(0).center()), form.SSTTab0->tabFaceColor());
}

// An address is copied in one gesture: a double click selects all of it,
// not one group of digits, and the box stays editable.
TEST_F(Layout, ADoubleClickSelectsTheWholeAddress) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Show();
    for (toolkit::TextBox* box : {form.WAN, form.LAN, form.txtLocal}) {
        box->setText(QStringLiteral("192.168.1.10"));
        QCoreApplication::sendPostedEvents();
        auto* editor = qobject_cast<QLineEdit*>(box->editor());
        ASSERT_NE(editor, nullptr);
        const QPointF onDigits(editor->width() * 0.6, editor->height() / 2.0);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, onDigits, editor->mapToGlobal(onDigits), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(editor, &event);
        }
        EXPECT_EQ(editor->selectedText(), QStringLiteral("192.168.1.10"));
        EXPECT_EQ(box->SelStart(), 0);
        EXPECT_EQ(box->SelLength(), 12);
        EXPECT_FALSE(editor->isReadOnly());
    }
}

}  // namespace
