// The committed picture files, read back byte by byte: formats, sizes, bit
// depths, JFIF version and density, GIF blocks, the cursor's hot spot; then
// what they show.
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <link.h>

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/Assets.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readAsset(const char* name) {
    const char* source = std::getenv("LUMENFOLD_SOURCE_DIR");
    const std::string path = std::string(source ? source : ".") + "/app/assets/" + name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

unsigned u16le(const Bytes& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8u); }
std::uint32_t u32le(const Bytes& b, std::size_t at) { return u16le(b, at) | (u16le(b, at + 2) << 16u); }
unsigned u16be(const Bytes& b, std::size_t at) { return (b.at(at) << 8u) | b.at(at + 1); }

// ---------------------------------------------------------------- ICO / CUR

struct IconImage {
    unsigned type, count, width, height, colours, field4, field6;
    std::uint32_t size, offset;
    std::uint32_t headerSize, bitmapWidth, bitmapHeight;
    unsigned bitsPerPixel;
    std::uint32_t compression;
    // Decoded: palette index per pixel, top-down, and the transparent mask.
    std::vector<std::vector<unsigned>> index;
    std::vector<std::vector<bool>> transparent;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
};

IconImage parseIcon(const Bytes& b) {
    IconImage i{};
    i.type = u16le(b, 2);
    i.count = u16le(b, 4);
    i.width = b.at(6);
    i.height = b.at(7);
    i.colours = b.at(8);
    i.field4 = u16le(b, 10);
    i.field6 = u16le(b, 12);
    i.size = u32le(b, 14);
    i.offset = u32le(b, 18);
    const std::size_t h = i.offset;
    i.headerSize = u32le(b, h);
    i.bitmapWidth = u32le(b, h + 4);
    i.bitmapHeight = u32le(b, h + 8);
    i.bitsPerPixel = u16le(b, h + 14);
    i.compression = u32le(b, h + 16);
    const unsigned paletteSize = 1u << i.bitsPerPixel;
    for (unsigned c = 0; c < paletteSize; ++c) {
        const std::size_t at = h + i.headerSize + c * 4;
        i.palette.push_back((b.at(at + 2) << 16u) | (b.at(at + 1) << 8u) | b.at(at));
    }
    const std::size_t pixels = h + i.headerSize + paletteSize * 4;
    const std::size_t stride = ((i.width * i.bitsPerPixel + 31) / 32) * 4;
    const std::size_t mask = pixels + stride * i.height;
    const std::size_t maskStride = ((i.width + 31) / 32) * 4;
    i.index.assign(i.height, std::vector<unsigned>(i.width));
    i.transparent.assign(i.height, std::vector<bool>(i.width));
    for (unsigned y = 0; y < i.height; ++y) {
        const unsigned row = i.height - 1 - y;  // stored bottom-up
        for (unsigned x = 0; x < i.width; ++x) {
            const std::uint8_t byte = b.at(pixels + row * stride + x * i.bitsPerPixel / 8);
            i.index[y][x] = i.bitsPerPixel == 8 ? byte : (x % 2 == 0 ? byte >> 4 : byte & 0xF);
            i.transparent[y][x] = (b.at(mask + row * maskStride + x / 8) >> (7 - x % 8)) & 1;
        }
    }
    return i;
}

TEST(Assets, WindowIconIsOne16x16ImageWith256ColoursShowingThreeGreenBars) {
    const Bytes b = readAsset("Form1.ico");
    ASSERT_GE(b.size(), 22u);
    const IconImage icon = parseIcon(b);
    EXPECT_EQ(u16le(b, 0), 0u);
    EXPECT_EQ(icon.type, 1u) << "icon";
    EXPECT_EQ(icon.count, 1u);
    EXPECT_EQ(icon.width, 16u);
    EXPECT_EQ(icon.height, 16u);
    EXPECT_EQ(icon.colours, 0u) << "256 colours";
    EXPECT_EQ(icon.field4, 1u) << "planes";
    EXPECT_EQ(icon.field6, 8u) << "bits per pixel";
    EXPECT_EQ(icon.offset + icon.size, b.size());
    EXPECT_EQ(icon.headerSize, 40u);
    EXPECT_EQ(icon.bitmapWidth, 16u);
    EXPECT_EQ(icon.bitmapHeight, 32u) << "colour bitmap and mask";
    EXPECT_EQ(icon.bitsPerPixel, 8u);
    EXPECT_EQ(icon.compression, 0u);

    // Rows with green in them form three separate bars.
    const auto isGreen = [](std::uint32_t rgb) {
        const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, bl = rgb & 0xFF;
        return g >= 96 && r < g / 2 && bl < g / 2;
    };
    int bars = 0;
    bool inBar = false;
    for (unsigned y = 0; y < 16; ++y) {
        int green = 0;
        for (unsigned x = 0; x < 16; ++x)
            if (!icon.transparent[y][x] && isGreen(icon.palette[icon.index[y][x]])) ++green;
        const bool barRow = green >= 12;  // horizontal: nearly the full width
        if (barRow && !inBar) ++bars;
        inBar = barRow;
    }
    EXPECT_EQ(bars, 3);
    EXPECT_TRUE(icon.transparent[0][0]) << "the ground is transparent";
}

TEST(Assets, HandCursorIsOne32x32FourBitImageWithItsHotSpotAtTheFingertip) {
    const Bytes b = readAsset("Hand.cur");
    ASSERT_GE(b.size(), 22u);
    const IconImage cursor = parseIcon(b);
    EXPECT_EQ(cursor.type, 2u) << "cursor";
    EXPECT_EQ(cursor.count, 1u);
    EXPECT_EQ(cursor.width, 32u);
    EXPECT_EQ(cursor.height, 32u);
    EXPECT_EQ(cursor.colours, 16u);
    EXPECT_EQ(cursor.field4, 12u) << "hot spot x";
    EXPECT_EQ(cursor.field6, 1u) << "hot spot y";
    EXPECT_EQ(cursor.offset + cursor.size, b.size());
    EXPECT_EQ(cursor.bitmapHeight, 64u);
    EXPECT_EQ(cursor.bitsPerPixel, 4u);
    // The hot spot is the topmost drawn pixel: the tip of the finger.
    EXPECT_FALSE(cursor.transparent[1][12]);
    for (unsigned x = 0; x < 32; ++x) EXPECT_TRUE(cursor.transparent[0][x]);
    for (unsigned x = 0; x < 12; ++x) EXPECT_TRUE(cursor.transparent[1][x]);
    // The finger is white inside a black outline.
    EXPECT_EQ(cursor.palette[cursor.index[1][12]], 0x000000u);
    EXPECT_EQ(cursor.palette[cursor.index[4][12]], 0xFFFFFFu);
}

// ---------------------------------------------------------------- JPEG

struct Jpeg {
    bool jfif = false;
    unsigned version = 0, units = 0, xDensity = 0, yDensity = 0;
    bool baseline = false, progressive = false;
    unsigned precision = 0, width = 0, height = 0, components = 0;
};

Jpeg parseJpeg(const Bytes& b) {
    Jpeg j;
    EXPECT_EQ(u16be(b, 0), 0xFFD8u) << "SOI";
    std::size_t at = 2;
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        const unsigned marker = b[at + 1];
        const unsigned length = u16be(b, at + 2);
        const std::size_t body = at + 4;
        if (marker == 0xE0 && std::string(b.begin() + static_cast<long>(body), b.begin() + static_cast<long>(body) + 5) ==
                                  std::string("JFIF\0", 5)) {
            j.jfif = true;
            j.version = u16be(b, body + 5);
            j.units = b[body + 7];
            j.xDensity = u16be(b, body + 8);
            j.yDensity = u16be(b, body + 10);
        }
        if (marker == 0xC0 || marker == 0xC2) {
            j.baseline = marker == 0xC0;
            j.progressive = marker == 0xC2;
            j.precision = b[body];
            j.height = u16be(b, body + 1);
            j.width = u16be(b, body + 3);
            j.components = b[body + 5];
        }
        if (marker == 0xDA) break;  // entropy-coded data follows
        at += 2 + length;
    }
    return j;
}

void expectJfifBaseline(const Bytes& b, unsigned width, unsigned height, unsigned dpi) {
    const Jpeg j = parseJpeg(b);
    EXPECT_TRUE(j.jfif);
    EXPECT_EQ(j.version, 0x0102u) << "JFIF 1.02";
    EXPECT_EQ(j.units, 1u) << "dots per inch";
    EXPECT_EQ(j.xDensity, dpi);
    EXPECT_EQ(j.yDensity, dpi);
    EXPECT_TRUE(j.baseline);
    EXPECT_FALSE(j.progressive);
    EXPECT_EQ(j.precision, 8u);
    EXPECT_EQ(j.width, width);
    EXPECT_EQ(j.height, height);
    EXPECT_EQ(j.components, 3u);
    EXPECT_EQ(u16be(b, b.size() - 2), 0xFFD9u) << "EOI";
}

QImage decode(const Bytes& b) {
    return QImage::fromData(QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())));
}

TEST(Assets, LegendPictureShowsFourFramedBarsLetteredByState) {
    const Bytes b = readAsset("Image1.jpg");
    expectJfifBaseline(b, 372, 178, 72);
    const QImage image = decode(b);
    ASSERT_EQ(image.size(), QSize(372, 178));

    const auto near = [](QRgb pixel, QColor want) {
        return std::abs(qRed(pixel) - want.red()) < 40 && std::abs(qGreen(pixel) - want.green()) < 40 &&
               std::abs(qBlue(pixel) - want.blue()) < 40;
    };
    const int tops[4] = {29, 69, 109, 149};
    struct Cell {
        int left, right;
        QColor face;
    };
    const Cell cells[3] = {{87, 151, QColor(0, 255, 0)}, {154, 218, QColor(255, 255, 0)}, {221, 283, QColor(255, 0, 0)}};
    // Top to bottom: modem only, modem and router, router only, offline.
    const bool lettered[4][3] = {{true, true, false}, {true, true, false}, {false, true, true}, {false, false, true}};
    for (int bar = 0; bar < 4; ++bar) {
        SCOPED_TRACE(bar);
        const int top = tops[bar], bottom = top + 17;
        EXPECT_GT(qGray(image.pixel(150, top - 1)), 150) << "light frame above";
        EXPECT_GT(qGray(image.pixel(150, bottom + 1)), 150) << "light frame below";
        EXPECT_GT(qGray(image.pixel(85, top + 8)), 150) << "light frame left";
        EXPECT_GT(qGray(image.pixel(285, top + 8)), 150) << "light frame right";
        EXPECT_LT(qGray(image.pixel(150, top - 4)), 20) << "black above the bar";
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(c);
            EXPECT_TRUE(near(image.pixel(cells[c].left + 2, top + 2), cells[c].face));
            EXPECT_TRUE(near(image.pixel(cells[c].right - 2, bottom - 2), cells[c].face));
            int dark = 0;
            for (int y = top + 2; y <= bottom - 2; ++y)
                for (int x = cells[c].left + 2; x <= cells[c].right - 2; ++x)
                    if (qGray(image.pixel(x, y)) < 60) ++dark;
            if (lettered[bar][c])
                EXPECT_GT(dark, 40) << "black lettering";
            else
                EXPECT_EQ(dark, 0) << "blank cell";
        }
    }
    EXPECT_LT(qGray(image.pixel(20, 20)), 10);
    EXPECT_LT(qGray(image.pixel(330, 170)), 10);
}

// ---------------------------------------------------------------- GIF

TEST(Assets, EmblemIsAOneFrameLoopingGif89aWithTransparentIndex209) {
    const Bytes b = readAsset("Picture4.gif");
    ASSERT_GE(b.size(), 13u + 768u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF89a");
    EXPECT_EQ(u16le(b, 6), 60u);
    EXPECT_EQ(u16le(b, 8), 55u);
    const unsigned packed = b[10];
    EXPECT_TRUE(packed & 0x80) << "global colour table";
    EXPECT_EQ(packed & 0x07, 7u) << "256 entries";
    EXPECT_EQ(b[11], 209u) << "background colour index";

    std::size_t at = 13 + 768;
    int frames = 0, loops = 0, controls = 0;
    bool trailer = false;
    unsigned loopCount = 999, delay = 0, transparentIndex = 0;
    bool transparent = false;
    const auto skipSubBlocks = [&](std::size_t from) {
        while (b.at(from) != 0) from += 1 + b.at(from);
        return from + 1;
    };
    while (at < b.size() && !trailer) {
        const unsigned introducer = b[at];
        if (introducer == 0x21) {
            const unsigned label = b.at(at + 1);
            if (label == 0xFF) {
                const std::size_t block = at + 2;
                const std::string id(b.begin() + static_cast<long>(block) + 1, b.begin() + static_cast<long>(block) + 12);
                if (b.at(block) == 11 && id == "NETSCAPE2.0") {
                    ++loops;
                    const std::size_t sub = block + 12;
                    EXPECT_EQ(b.at(sub), 3u);
                    EXPECT_EQ(b.at(sub + 1), 1u);
                    loopCount = u16le(b, sub + 2);
                }
                at = skipSubBlocks(block);
            } else if (label == 0xF9) {
                ++controls;
                const std::size_t block = at + 2;
                EXPECT_EQ(b.at(block), 4u);
                transparent = b.at(block + 1) & 0x01;
                delay = u16le(b, block + 2);
                transparentIndex = b.at(block + 4);
                at = skipSubBlocks(block);
            } else {
                at = skipSubBlocks(at + 2);
            }
        } else if (introducer == 0x2C) {
            ++frames;
            EXPECT_EQ(u16le(b, at + 5), 60u);
            EXPECT_EQ(u16le(b, at + 7), 55u);
            const unsigned local = b.at(at + 9);
            const std::size_t data = at + 10 + ((local & 0x80) ? 3u * (2u << (local & 7)) : 0u);
            at = skipSubBlocks(data + 1);  // after the LZW code size
        } else if (introducer == 0x3B) {
            trailer = true;
        } else {
            FAIL() << "unknown block " << introducer << " at " << at;
        }
    }
    EXPECT_TRUE(trailer);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(loops, 1);
    EXPECT_EQ(loopCount, 0u) << "repeat for ever";
    EXPECT_EQ(controls, 1);
    EXPECT_EQ(delay, 10u);
    EXPECT_TRUE(transparent);
    EXPECT_EQ(transparentIndex, 209u);

    // A grey picture on a transparent ground.
    const QImage image = decode(b).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(60, 55));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(59, 0)), 0);
    int opaque = 0, coloured = 0;
    for (int y = 0; y < 55; ++y)
        for (int x = 0; x < 60; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 0) continue;
            ++opaque;
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p)) ++coloured;
        }
    EXPECT_GT(opaque, 60 * 55 / 3);
    EXPECT_EQ(coloured, 0) << "shades of grey only";
}

// ---------------------------------------------------------------- resources

TEST(Assets, TheCommittedFilesAreCompiledIn) {
    for (const auto& [path, file] : {std::pair{app::kWindowIconPath, "Form1.ico"},
                                     {app::kLegendPicturePath, "Image1.jpg"}, {app::kEmblemPath, "Picture4.gif"},
                                     {app::kHandCursorPath, "Hand.cur"}}) {
        SCOPED_TRACE(file);
        (void)app::windowIcon();  // registers the resources
        QFile resource(QString::fromLatin1(path));
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
        const QByteArray compiled = resource.readAll();
        const Bytes committed = readAsset(file);
        EXPECT_EQ(Bytes(compiled.begin(), compiled.end()), committed);
    }
    EXPECT_EQ(QPixmap(app::picturePath(app::kLegendPicturePath)).size(), QSize(372, 178));
    EXPECT_EQ(QPixmap(app::picturePath(app::kEmblemPath)).size(), QSize(60, 55));
    EXPECT_EQ(app::handCursor().hotSpot(), QPoint(12, 1));
}

// The image plug-ins mapped into this process, by file name.
std::set<std::string> loadedImagePlugins() {
    std::set<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* out) {
            const std::string path = info->dlpi_name ? info->dlpi_name : "";
            if (const auto at = path.find("/imageformats/"); at != std::string::npos)
                static_cast<std::set<std::string>*>(out)->insert(path.substr(at + 14));
            return 0;
        },
        &names);
    return names;
}

TEST(Assets, TheHandCursorLoadsNoImagePluginButItsOwn) {
    (void)app::windowIcon();  // the icon's plug-in reads the cursor as well
    const std::set<std::string> before = loadedImagePlugins();
    (void)app::handCursor();
    for (const std::string& plugin : loadedImagePlugins())
        EXPECT_TRUE(before.count(plugin)) << plugin << " was loaded for the cursor";
}

}  // namespace
