// The digital read-out font as the window draws it: registered, chosen for
// every digital control, complete, spaced so that nothing runs together,
// and every letter and figure told apart at the read-outs' size.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRawFont>
#include <QRegularExpression>
#include <QScreen>
#include <gtest/gtest.h>

#include <map>

#include "app/Assets.h"
#include "app/Fonts.h"
#include "app/Form1.h"
#include "tests/app/CreatedForm1.h"
#include "tests/support/Fakes.h"

namespace {

using testing_support::CreatedForm1;
using testing_support::flushDeletions;

// One character drawn on its own, white on black, its pen position at the
// left edge: the grey level of a device pixel is its ink.
QImage draw(const QFont& font, QChar c) {
    const QFontMetricsF m(font);
    const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();  // 2 under QT_SCALE_FACTOR=2
    QImage image((QSizeF(2 * m.maxWidth(), m.height()) * ratio).toSize(), QImage::Format_Grayscale8);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QPointF(0, m.ascent()), QString(c));
    return image;
}

int inkAt(const QImage& image, int x, int y) {
    return image.rect().contains(x, y) ? image.constScanLine(y)[x] : 0;
}

// The pixels within one device pixel of any pixel at least half inked.
QImage surroundings(const QImage& image) {
    QImage out(image.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            int most = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) most = std::max(most, inkAt(image, x + dx, y + dy));
            out.scanLine(y)[x] = most >= 128 ? 255 : 0;
        }
    return out;
}

QString printable() {
    QString all;
    for (char16_t c = 0x20; c <= 0x7e; ++c) all += QChar(c);
    return all;
}

struct DigitalFont : ::testing::Test {
    static void SetUpTestSuite() { app::installFontSubstitutes(app::resolveFontAliases()); }
    ~DigitalFont() override { flushDeletions(); }
    testing_support::RecordingPresenter presenter;
    toolkit::Application runtime{presenter};
    testing_support::FakePlatform fakes;
};

TEST_F(DigitalFont, IsRegisteredFromTheResourcesAndChosenForEveryDigitalControl) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(app::kDigitalFamily)))
        GTEST_SKIP() << "the real digital font is installed and keeps its place";
    ASSERT_TRUE(QFontDatabase::hasFamily(QString::fromLatin1(app::kDigitalSubstitute)));
    app::installFontSubstitutes(app::resolveFontAliases());  // a second call registers nothing more
    const QStringList substitutes = QFont::substitutes(QString::fromLatin1(app::kDigitalFamily));
    ASSERT_EQ(substitutes.size(), 1);
    EXPECT_EQ(substitutes[0].compare(QLatin1String(app::kDigitalSubstitute), Qt::CaseInsensitive), 0);

    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    std::vector<QFont> digital = {form.SSTTab0->tabFont()};
    for (toolkit::TextBox* box : {form.WAN, form.LAN, form.txtLocal, form.txtStatus})
        digital.push_back(box->editor()->font());
    for (toolkit::Label* label : {form.WAN2, form.LAN2, form.lblLocal, form.lblWorking, form.lblYourOnline[0],
                                  form.lblYourOnline[1], form.lblYourOffline[0], form.lblYourOffline[1]})
        digital.push_back(label->font());
    for (const QFont& font : digital) {
        SCOPED_TRACE(font.toString().toStdString());
        const QFontInfo info(font);
        EXPECT_EQ(info.family(), QString::fromLatin1(app::kDigitalSubstitute));
        // The file is bold italic itself: nothing is slanted or thickened
        // after the fact, and nothing is narrowed.
        EXPECT_EQ(info.style(), QFont::StyleItalic);
        EXPECT_EQ(info.weight(), QFont::Bold);
        EXPECT_EQ(font.stretch(), QFont::AnyStretch);
    }
}

TEST_F(DigitalFont, HasASolidGlyphForEveryPrintableCharacter) {
    const QRawFont raw(app::resourceData(app::kDigitalFontPath), 19);
    ASSERT_TRUE(raw.isValid());
    EXPECT_EQ(raw.familyName(), QString::fromLatin1(app::kDigitalSubstitute));
    for (QChar c : printable()) {
        SCOPED_TRACE(QString(c).toStdString());
        const QList<quint32> glyphs = raw.glyphIndexesForString(QString(c));
        ASSERT_EQ(glyphs.size(), 1);
        EXPECT_NE(glyphs[0], 0u) << "falls back to the missing-glyph box";
        EXPECT_GT(raw.advancesForGlyphIndexes(glyphs)[0].x(), 0);
        if (c == u' ') continue;
        const QPainterPath path = raw.pathForGlyph(glyphs[0]);
        EXPECT_FALSE(path.isEmpty()) << "no ink";
        // Bars of one glyph overlap; they fill solid only if every outline
        // winds the same way (a reversed one punches a hole).
        for (const QPolygonF& outline : path.toSubpathPolygons()) {
            qreal twiceArea = 0;
            for (qsizetype i = 0; i < outline.size(); ++i) {
                const QPointF& a = outline[i];
                const QPointF& b = outline[(i + 1) % outline.size()];
                twiceArea += a.x() * b.y() - b.x() * a.y();
            }
            EXPECT_GT(twiceArea, 0) << "an outline winds the other way";
        }
    }
}

TEST_F(DigitalFont, DotsColonsAndSpacesHaveCellsOfTheirOwn) {
    // Clear space beside the dots is what AdjacentCharactersNeverTouch sees.
    const QFontMetricsF m(app::digitalFont(14.25));
    const qreal figure = m.horizontalAdvance(u'8');
    for (QChar narrow : {u'.', u':'}) {
        EXPECT_GT(m.horizontalAdvance(narrow), figure / 3) << "no room beside the dot";
        EXPECT_LT(m.horizontalAdvance(narrow), figure * 2 / 3) << "not a narrow cell";
    }
    EXPECT_GE(m.horizontalAdvance(u' '), figure / 2);
}

// Adjacent characters keep at least one clear device pixel between their
// inks, at each size the layout uses: tabs and legend, read-outs, banner.
TEST_F(DigitalFont, AdjacentCharactersNeverTouch) {
    for (qreal points : {12.0, 14.25, 21.75}) {
        const QFont font = app::digitalFont(points);
        const QFontMetricsF m(font);
        std::map<QChar, QImage> ink, near;
        for (QChar c : printable()) near[c] = surroundings(ink[c] = draw(font, c));
        int touching = 0;
        for (QChar left : printable()) {
            const int shift = qRound(m.horizontalAdvance(left) * ink[left].devicePixelRatio());
            for (QChar right : printable()) {
                bool touches = false;
                for (int y = 0; y < near[left].height() && !touches; ++y)
                    for (int x = shift; x < near[left].width() && !touches; ++x)
                        touches = inkAt(near[left], x, y) && inkAt(ink[right], x - shift, y) >= 128;
                if (touches && ++touching <= 10)
                    ADD_FAILURE() << "\"" << QString(left).toStdString() << QString(right).toStdString()
                                  << "\" touch at " << points << " pt";
            }
        }
        EXPECT_EQ(touching, 0);
    }
}

// Each letter and figure differs from every other and from every
// punctuation mark in at least half a bar's worth of pixels, and none is
// made of hairlines only: each has pixels of full ink.
TEST_F(DigitalFont, LettersAndFiguresAreToldApartAtTheReadoutSize) {
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    const QString all = printable().remove(QRegularExpression(QStringLiteral("[a-z ]")));
    std::map<QChar, QImage> ink;
    for (QChar c : all) ink[c] = draw(app::digitalFont(14.25), c);
    const auto count = [](const QImage& image, const auto& counted) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += counted(x, y);
        return n;
    };
    // A bar at this size is about 2 by 5 pixels, four times that at scale 2.
    const qreal ratio = ink[u'8'].devicePixelRatio();
    const int halfBar = qRound(5 * ratio * ratio);
    for (QChar c : letters) {
        SCOPED_TRACE(QString(c).toStdString());
        const QImage& mine = ink[c];
        EXPECT_GE(count(mine, [&](int x, int y) { return inkAt(mine, x, y) >= 230; }), halfBar) << "hairlines only";
        for (QChar other : all) {
            if (other == c) continue;
            const int differing =
                count(mine, [&](int x, int y) { return std::abs(inkAt(mine, x, y) - inkAt(ink[other], x, y)) >= 128; });
            EXPECT_GE(differing, halfBar) << "looks like " << QString(other).toStdString();
        }
    }
}

TEST_F(DigitalFont, TheLongestAddressFitsTheAddressBoxes) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Show();
    const QString longest = QStringLiteral("255.255.255.255");
    for (toolkit::TextBox* box : {form.WAN, form.LAN, form.txtLocal}) {
        auto* editor = qobject_cast<QLineEdit*>(box->editor());
        ASSERT_NE(editor, nullptr);
        box->setText(longest);
        QCoreApplication::processEvents();  // the box hands its text to the editor
        ASSERT_EQ(editor->text(), longest);
        editor->setCursorPosition(longest.size());
        (void)editor->grab();  // lays the text out, scrolled if it is too long
        const qreal advance = QFontMetricsF(editor->font()).horizontalAdvance(longest);
        const QRect cursor = editor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        EXPECT_GE(cursor.center().x() - advance, 0) << "the start of the address is scrolled out of sight";
        EXPECT_LE(cursor.center().x(), editor->width());
    }
    form.Unload();
}

}  // namespace
