// Every text of both windows stays legible under the desktop's palette:
// measured on the rendered pixels, each text's colour against what is
// behind it reaches the WCAG contrast ratio of 4.5:1. Run with a plain dark
// and a high-contrast palette set here and, under an X server, with the
// desktop's own dark theme (LUMENFOLD_DESKTOP_PALETTE=1, the palette the
// platform theme gives). With LUMENFOLD_CONTRAST_SHOTS=FOLDER each measured
// picture is kept there.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPalette>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/Fonts.h"
#include "adapters/Form2.h"
#include "app/Form1.h"
#include "tests/app/CreatedForm1.h"
#include "tests/support/Fakes.h"

using testing_support::CreatedForm1;
using testing_support::FakePlatform;
using testing_support::flushDeletions;
using testing_support::RecordingPresenter;

namespace {

double luminance(QRgb rgb) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Measure {
    double ratio = 1;
    QRgb text = 0, background = 0;
    int legiblePixels = 0;
};

// What a text inside `area` of `shot` measures: the background is the
// area's commonest colour; the text's colour is that of its strokes' cores,
// taken as the pixel nine tenths of the way up the others by contrast (the
// anti-aliased edges lie below it, a caret's few pixels above).
Measure measure(const QImage& shot, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(shot.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[shot.pixel(x, y) | 0xff000000u];
    Measure m;
    if (counts.empty()) return m;
    m.background = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                       return a.second < b.second;
                   })->first;
    std::vector<std::pair<double, QRgb>> others;
    for (const auto& [rgb, count] : counts) {
        const double r = contrast(rgb, m.background);
        if (r <= 1.05) continue;
        others.insert(others.end(), static_cast<std::size_t>(count), {r, rgb});
        if (r >= 4.5) m.legiblePixels += count;
    }
    if (others.empty()) return m;
    std::sort(others.begin(), others.end());
    std::tie(m.ratio, m.text) = others[others.size() * 9 / 10];
    return m;
}

QPalette plainDark() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 45));
    p.setColor(QPalette::WindowText, QColor(238, 238, 238));
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    p.setColor(QPalette::Text, QColor(238, 238, 238));
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::ButtonText, QColor(238, 238, 238));
    p.setColor(QPalette::Light, QColor(80, 80, 80));
    p.setColor(QPalette::Midlight, QColor(66, 66, 66));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Shadow, QColor(0, 0, 0));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    p.setColor(QPalette::ToolTipBase, QColor(53, 53, 53));
    p.setColor(QPalette::ToolTipText, QColor(238, 238, 238));
    return p;
}

// White on black, as a high-contrast desktop theme has it.
QPalette highContrast() {
    QPalette p(QColor(0, 0, 0), QColor(0, 0, 0));
    p.setColor(QPalette::WindowText, QColor(255, 255, 255));
    p.setColor(QPalette::Text, QColor(255, 255, 255));
    p.setColor(QPalette::ButtonText, QColor(255, 255, 255));
    p.setColor(QPalette::Base, QColor(0, 0, 0));
    p.setColor(QPalette::Button, QColor(0, 0, 0));
    p.setColor(QPalette::Highlight, QColor(255, 255, 0));
    p.setColor(QPalette::HighlightedText, QColor(0, 0, 0));
    return p;
}

struct Legibility : ::testing::TestWithParam<std::string> {
    static void SetUpTestSuite() { app::installFontSubstitutes(app::resolveFontAliases()); }
    Legibility() {
        original = QApplication::palette();
        if (GetParam() == "dark") QApplication::setPalette(plainDark());
        if (GetParam() == "high-contrast") QApplication::setPalette(highContrast());
    }
    ~Legibility() override {
        form.Unload();
        if (form.Form2) form.Form2->Unload();
        flushDeletions();
        QApplication::setPalette(original);
    }

    // Grabs the window and checks the text inside `area` (window
    // coordinates, logical pixels), naming it `what` in the figures.
    void expectLegible(QWidget* window, const std::string& what, QRect area) {
        const QImage shot = window->grab().toImage();
        const qreal ratio = shot.devicePixelRatio();
        const QRect device((QPointF(area.topLeft()) * ratio).toPoint(), (QSizeF(area.size()) * ratio).toSize());
        const Measure m = measure(shot, device);
        std::cout << "contrast " << GetParam() << ": " << what << " " << QColor(m.text).name().toStdString() << " on "
                  << QColor(m.background).name().toStdString() << " " << std::round(m.ratio * 10) / 10 << ":1\n";
        EXPECT_GE(m.ratio, 4.5) << what << ": " << QColor(m.text).name().toStdString() << " on "
                                << QColor(m.background).name().toStdString();
        // A stroke, not one stray pixel.
        EXPECT_GE(m.legiblePixels, 8) << what << " shows no legible text";
        // To look at what was measured: one picture per text.
        const QString folder = qEnvironmentVariable("LUMENFOLD_CONTRAST_SHOTS");
        if (!folder.isEmpty()) {
            QString name = QString::fromStdString(GetParam() + "-" + what);
            name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
            shot.save(QDir(folder).filePath(name + QStringLiteral(".png")));
        }
    }
    // The area of a control inside its window, less `inset` pixels all
    // round (a frame or bevel is not text).
    static QRect areaOf(QWidget* control, int inset = 3) {
        return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size())
            .adjusted(inset, inset, -inset, -inset);
    }

    QPalette original;
    RecordingPresenter presenter;
    toolkit::Application runtime{presenter};
    FakePlatform fakes;
    CreatedForm1 form{runtime, fakes.platform};
};

TEST_P(Legibility, EveryTextOfTheMainWindow) {
    if (GetParam() == "desktop") {
        // The desktop's theme must have given a dark palette, or this
        // measures nothing of it.
        ASSERT_LT(QApplication::palette().color(QPalette::Window).lightness(), 100)
            << "the platform theme gave no dark palette";
    }
    form.Show();
    QWidget* window = form.window();

    // The gathering display.
    for (QWidget* w : std::vector<QWidget*>{form.WAN2, form.LAN2, form.lblLocal, form.WAN, form.LAN, form.txtLocal,
                                            form.chkAdp, form.chkReload, form.txtStatus})
        w->hide();
    expectLegible(window, "lblWorking", areaOf(form.lblWorking, 0));

    // The results, with every lamp captioned at once.
    form.lblWorking->hide();
    form.ProgressBar1->hide();
    for (QWidget* w : std::vector<QWidget*>{form.WAN2, form.LAN2, form.lblLocal, form.WAN, form.LAN, form.txtLocal,
                                            form.chkAdp, form.chkReload})
        w->show();
    form.WAN->setText(QStringLiteral("203.0.113.45"));
    form.LAN->setText(QStringLiteral("192.168.1.10"));
    form.txtLocal->setText(QStringLiteral("127.0.0.1"));
    form.chkgreen->setCaption(QStringLiteral("Online"));
    form.chkyellow->setCaption(QStringLiteral("WAN/LAN"));
    form.chkred->setCaption(QStringLiteral("Offline"));
    QCoreApplication::sendPostedEvents();  // the text boxes take their text
    for (auto [name, label] : {std::pair{"WAN2", form.WAN2}, {"LAN2", form.LAN2}, {"lblLocal", form.lblLocal}})
        expectLegible(window, name, areaOf(label, 0));
    for (auto [name, box] : {std::pair{"WAN", form.WAN}, {"LAN", form.LAN}, {"txtLocal", form.txtLocal}})
        expectLegible(window, name, areaOf(box));
    for (auto [name, check] : {std::pair{"chkstatus", form.chkstatus},
                               {"chkgreen", form.chkgreen},
                               {"chkyellow", form.chkyellow},
                               {"chkred", form.chkred},
                               {"chkAdp", form.chkAdp},
                               {"chkReload", form.chkReload}})
        expectLegible(window, name, areaOf(check));

    // The tab captions, the selected one and those behind it.
    const QPoint tabs = form.SSTTab0->mapTo(window, QPoint(0, 0));
    for (int tab = 0; tab < form.SSTTab0->Tabs(); ++tab) {
        form.SSTTab0->setTab(tab);
        for (int i = 0; i < form.SSTTab0->Tabs(); ++i)
            expectLegible(window, "tab " + std::to_string(i) + (i == tab ? " (selected)" : " (behind)"),
                          form.SSTTab0->tabRect(i).translated(tabs).adjusted(4, 4, -4, -2));
    }

    form.SSTTab0->setTab(1);
    for (auto* label : {form.lblYourOnline[0], form.lblYourOnline[1], form.lblYourOffline[0], form.lblYourOffline[1]})
        expectLegible(window, label->text().toStdString(), areaOf(label, 0));

    form.SSTTab0->setTab(2);
    // The About text left of the emblem, and the home-page strip.
    auto* about = static_cast<QPlainTextEdit*>(form.txtText1->editor());
    QRect text = areaOf(about->viewport(), 0);
    text.setRight(form.Picture4->mapTo(window, QPoint(0, 0)).x() - 1);
    expectLegible(window, "txtText1", text);
    expectLegible(window, "Qor", areaOf(form.Qor));
}

TEST_P(Legibility, TheAdapterReport) {
    fakes.adapterInfo->adapters = {{"enp1s0", 2, "Ethernet adapter (virtio_net)", {"192.168.1.10"}, {"192.168.1.1"}}};
    form.Show();
    form.chkAdp->setValue(1);
    ASSERT_TRUE(form.Form2 && form.Form2->isLoaded());
    QCoreApplication::processEvents();
    auto* report = static_cast<QPlainTextEdit*>(form.Form2->txtOut->editor());
    expectLegible(form.Form2->window(), "txtOut", areaOf(report->viewport(), 0));
}

INSTANTIATE_TEST_SUITE_P(Palettes, Legibility,
                         ::testing::ValuesIn(qEnvironmentVariableIsSet("LUMENFOLD_DESKTOP_PALETTE")
                                                 ? std::vector<std::string>{"desktop"}
                                                 : std::vector<std::string>{"light", "dark", "high-contrast"}),
                         [](const ::testing::TestParamInfo<std::string>& palette) {
                             std::string name = palette.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
