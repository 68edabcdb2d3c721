// The digital read-out font as the window draws it: registered, chosen for
// every digital control, complete, spaced so that nothing runs together,
// and every letter and figure told apart at the read-outs' size.
#include <QFontDatabase>
#include <QGuiApplication>
#include <QFontInfo>
#include <QFontMetricsF>
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
#include "tests/support/Fakes.h"

namespace {

using testing_support::flushDeletions;

class CreatedForm1 : public app::Form1 {
public:
    using Form1::Form1;

protected:
    void Form_Load() override {}
};

bool realDigitalFontInstalled() { return QFontDatabase::hasFamily(QString::fromLatin1(app::kDigitalFamily)); }

// One character drawn on its own, as coverage 0..255 per device pixel, its
// pen position at `origin` logical pixels from the left.
struct Ink {
    QImage image;
    int at(int x, int y) const {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() ? qGray(image.pixel(x, y)) : 0;
    }
};

Ink draw(const QFont& font, QChar c, qreal origin, qreal ratio) {
    const QFontMetricsF m(font);
    QImage image((QSizeF(origin + 2 * m.maxWidth() + 8, m.height() + 4) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QPointF(origin + 2, 2 + m.ascent()), QString(c));
    return {image};
}

// Device pixels per logical pixel: 2 under QT_SCALE_FACTOR=2.
qreal screenRatio() { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

// The font of the read-outs, bold italic at 14.25 points.
QFont readout() { return app::digitalFont(14.25); }

QString printable() {
    QString all;
    for (char16_t c = 0x20; c <= 0x7e; ++c) all += QChar(c);
    return all;
}

struct DigitalFont : ::testing::Test {
    static void SetUpTestSuite() { app::installFontSubstitutes(); }
    ~DigitalFont() override { flushDeletions(); }
    testing_support::RecordingPresenter presenter;
    toolkit::Application runtime{presenter};
    testing_support::FakePlatform fakes;
};

TEST_F(DigitalFont, IsRegisteredFromTheResourcesAndChosenForEveryDigitalControl) {
    if (realDigitalFontInstalled()) GTEST_SKIP() << "the real digital font is installed and keeps its place";
    ASSERT_TRUE(QFontDatabase::hasFamily(QString::fromLatin1(app::kDigitalSubstitute)));
    app::installFontSubstitutes();  // a second call registers nothing more
    const QStringList substitutes = QFont::substitutes(QString::fromLatin1(app::kDigitalFamily));
    ASSERT_EQ(substitutes.size(), 1);
    EXPECT_EQ(substitutes[0].compare(QLatin1String(app::kDigitalSubstitute), Qt::CaseInsensitive), 0);

    CreatedForm1 form(runtime, fakes.platform);
    form.Load();
    std::vector<std::pair<const char*, QFont>> digital = {{"tabs", form.SSTTab0->tabFont()}};
    for (toolkit::TextBox* box : {form.WAN, form.LAN, form.txtLocal, form.txtStatus})
        digital.emplace_back("text box", box->editor()->font());
    for (toolkit::Label* label : {form.WAN2, form.LAN2, form.lblLocal, form.lblWorking, form.lblYourOnline[0],
                                  form.lblYourOnline[1], form.lblYourOffline[0], form.lblYourOffline[1]})
        digital.emplace_back("label", label->font());
    for (const auto& [kind, font] : digital) {
        SCOPED_TRACE(kind);
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
    const QFontMetricsF m(readout());
    const qreal figure = m.horizontalAdvance(u'8');
    for (QChar narrow : {u'.', u':'}) {
        SCOPED_TRACE(QString(narrow).toStdString());
        EXPECT_GT(m.horizontalAdvance(narrow), figure / 3) << "room on both sides of the dot";
        EXPECT_LT(m.horizontalAdvance(narrow), figure * 2 / 3) << "a narrow cell";
        // The dot stands inside its own cell, clear of both edges.
        const QRawFont raw = QRawFont::fromFont(readout());
        const QRectF ink = raw.pathForGlyph(raw.glyphIndexesForString(QString(narrow)).value(0)).boundingRect();
        EXPECT_GT(ink.left(), 0);
        EXPECT_LT(ink.right(), m.horizontalAdvance(narrow));
    }
    EXPECT_GE(m.horizontalAdvance(u' '), figure / 2);
    // Every address is as wide as its characters: no kerning pulls a dot
    // into a figure.
    const QString address = QStringLiteral("203.0.113.45");
    qreal sum = 0;
    for (QChar c : address) sum += m.horizontalAdvance(c);
    EXPECT_NEAR(m.horizontalAdvance(address), sum, 0.5);
}

// Adjacent characters keep at least one clear device pixel between their
// inks, at each size the layout uses: tabs and legend, read-outs, banner.
TEST_F(DigitalFont, AdjacentCharactersNeverTouch) {
    const qreal ratio = screenRatio();
    for (qreal points : {12.0, 14.25, 21.75}) {
        const QFont font = app::digitalFont(points);
        const QFontMetricsF m(font);
        std::map<QChar, Ink> alone;
        for (QChar c : printable()) alone[c] = draw(font, c, 0, ratio);
        int touching = 0;
        for (QChar left : printable()) {
            const int shift = qRound(m.horizontalAdvance(left) * ratio);
            for (QChar right : printable()) {
                const Ink& a = alone[left];
                const Ink& b = alone[right];
                bool touches = false;
                for (int y = 0; y < a.image.height() && !touches; ++y)
                    for (int x = 0; x < a.image.width() && !touches; ++x) {
                        if (a.at(x, y) < 128) continue;
                        for (int dy = -1; dy <= 1 && !touches; ++dy)
                            for (int dx = -1; dx <= 1 && !touches; ++dx)
                                touches = b.at(x + dx - shift, y + dy) >= 128;
                    }
                if (touches && ++touching <= 10)
                    ADD_FAILURE() << "\"" << QString(left).toStdString() << QString(right).toStdString()
                                  << "\" touch at " << points << " pt";
            }
        }
        EXPECT_EQ(touching, 0);
    }
}

// Each letter and figure differs from every other and from every
// punctuation mark in at least a bar's worth of pixels, and none is made
// of hairlines only: each has pixels of full ink.
TEST_F(DigitalFont, LettersAndFiguresAreToldApartAtTheReadoutSize) {
    const qreal ratio = screenRatio();
    const QFont font = readout();
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    const QString all = printable().remove(QRegularExpression(QStringLiteral("[a-z ]")));
    std::map<QChar, Ink> ink;
    for (QChar c : all) ink[c] = draw(font, c, 0, ratio);

    // A bar at this size is about 2 by 4 pixels.
    const int bar = qRound(5 * ratio * ratio);
    for (QChar c : letters) {
        SCOPED_TRACE(QString(c).toStdString());
        int solid = 0;
        for (int y = 0; y < ink[c].image.height(); ++y)
            for (int x = 0; x < ink[c].image.width(); ++x) solid += ink[c].at(x, y) >= 230;
        EXPECT_GE(solid, bar) << "hairlines only";
        for (QChar other : all) {
            if (other == c) continue;
            int differing = 0;
            for (int y = 0; y < ink[c].image.height(); ++y)
                for (int x = 0; x < ink[c].image.width(); ++x)
                    differing += std::abs(ink[c].at(x, y) - ink[other].at(x, y)) >= 128;
            EXPECT_GE(differing, bar) << "looks like " << QString(other).toStdString();
        }
    }
}

TEST_F(DigitalFont, TheLongestAddressFitsTheAddressBoxes) {
    CreatedForm1 form(runtime, fakes.platform);
    form.Show();
    const QString longest = QStringLiteral("255.255.255.255");
    for (toolkit::TextBox* box : {form.WAN, form.LAN, form.txtLocal}) {
        SCOPED_TRACE(box->objectName().toStdString());
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
