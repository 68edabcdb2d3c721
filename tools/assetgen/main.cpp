// Draws the main window's binary assets and writes them in their exact file
// formats into the folder given on the command line (normally app/assets):
//   Form1.ico     window icon, 16 x 16, 8 bits per pixel, three green bars
//   Image1.jpg    legend picture, 372 x 178, JFIF 1.02, 72 dpi
//   Picture4.gif  emblem, 60 x 55 GIF89a, skull over crossed bones
//   Hand.cur      hand cursor, 32 x 32, 4 bits per pixel, hot spot (12, 1)
// and, given a second folder, the application icon of the desktop's menus
// as PNG files of an icon theme (SIZExSIZE/apps/NAME.png): at 16 x 16 the
// very pixels of Form1.ico, larger sizes drawn to the same proportions.
// Build and run with `cmake --build build --target assets`.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "tools/assetgen/Writers.h"

namespace {

// Three bars with a darker rim on a transparent ground.
IndexedImage drawIcon() {
    IndexedImage icon(16, 16);
    icon.palette[1] = {0, 255, 0};
    icon.palette[2] = {0, 112, 0};
    for (int bar = 0; bar < 3; ++bar) {
        const int top = 1 + bar * 5;  // rows 1-4, 6-9, 11-14
        for (int y = top; y < top + 4; ++y)
            for (int x = 1; x < 15; ++x) {
                const bool rim = y == top || y == top + 3 || x == 1 || x == 14;
                icon.set(x, y, rim ? 2 : 1);
            }
    }
    return icon;
}

void writeIcon(const std::filesystem::path& file) { writeIco(file, drawIcon()); }

QImage toImage(const IndexedImage& indexed) {
    QImage image(indexed.width, indexed.height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < indexed.height; ++y)
        for (int x = 0; x < indexed.width; ++x)
            if (!indexed.isTransparent(x, y)) {
                const Rgb c = indexed.palette[indexed.at(x, y)];
                image.setPixel(x, y, qRgb(c.red, c.green, c.blue));
            }
    return image;
}

// The icon's design on a 16-unit grid, drawn at `size` pixels: each unit
// becomes size/16 pixels, so the rims stay one unit thick.
QImage drawIconAt(int size) {
    if (size == 16) return toImage(drawIcon());
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const double unit = size / 16.0;
    const auto px = [unit](double units) { return static_cast<int>(units * unit + 0.5); };
    for (int bar = 0; bar < 3; ++bar) {
        const int top = 1 + bar * 5;
        const QRect outer(QPoint(px(1), px(top)), QPoint(px(15) - 1, px(top + 4) - 1));
        p.fillRect(outer, QColor(0, 112, 0));
        p.fillRect(outer.adjusted(px(1), px(1), -px(1), -px(1)), QColor(0, 255, 0));
    }
    return image;
}

void writeThemeIcons(const std::filesystem::path& theme, const std::string& name) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path folder = theme / sizeName / "apps";
        std::filesystem::create_directories(folder);
        const std::filesystem::path file = folder / (name + ".png");
        if (!drawIconAt(size).save(QString::fromStdString(file.string()), "PNG"))
            throw std::runtime_error("cannot write " + file.string());
    }
}

// Four lamp bars, one per connection state, top to bottom: modem only,
// modem and router, router only, offline. Each bar is a light frame around a
// green, a yellow and a red cell, some of them lettered.
void writeLegend(const std::filesystem::path& file) {
    QImage legend(372, 178, QImage::Format_RGB888);
    legend.fill(Qt::black);
    QPainter p(&legend);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    p.setFont(font);

    struct Cell {
        int left, right;
        QColor face;
    };
    const Cell cells[3] = {{87, 151, QColor(0, 255, 0)}, {154, 218, QColor(255, 255, 0)}, {221, 283, QColor(255, 0, 0)}};
    const int tops[4] = {29, 69, 109, 149};
    const char* lettering[4][3] = {
        {"Online", "WAN Only", ""},
        {"Online", "LAN /WAN", ""},
        {"", "LAN Only", "Offline"},
        {"", "", "Offline"},
    };
    const QColor frame(200, 200, 200);
    for (int bar = 0; bar < 4; ++bar) {
        const int top = tops[bar];
        const int bottom = top + 17;
        // A one-pixel frame around x 85..285, y top-1..bottom+1.
        p.fillRect(QRect(QPoint(85, top - 1), QPoint(285, top - 1)), frame);
        p.fillRect(QRect(QPoint(85, bottom + 1), QPoint(285, bottom + 1)), frame);
        p.fillRect(QRect(QPoint(85, top - 1), QPoint(85, bottom + 1)), frame);
        p.fillRect(QRect(QPoint(285, top - 1), QPoint(285, bottom + 1)), frame);
        for (int c = 0; c < 3; ++c) {
            const QRect area(QPoint(cells[c].left, top), QPoint(cells[c].right, bottom));
            p.fillRect(area, cells[c].face);
            p.setPen(Qt::black);
            p.drawText(area, Qt::AlignCenter, QString::fromLatin1(lettering[bar][c]));
        }
    }
    p.end();
    writeJpeg(file, legend, 72);
}

// A grey skull over two crossed bones, drawn on black in shades of grey;
// untouched pixels become the transparent background.
void writeEmblem(const std::filesystem::path& file) {
    QImage art(60, 55, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);

    const QColor outline(60, 60, 60);
    const QColor bone(175, 175, 175);
    const QColor skull(205, 205, 205);
    const QColor hollow(20, 20, 20);

    // The bones: a shaft with two knobs at each end, corner to corner.
    const auto drawBone = [&](QPointF from, QPointF to) {
        p.setPen(QPen(outline, 1.2));
        p.setBrush(bone);
        const QLineF axis(from, to);
        const QPointF normal = QPointF(-axis.dy(), axis.dx()) / axis.length() * 2.6;
        for (const QPointF end : {from, to}) {
            p.drawEllipse(end + normal, 3.6, 3.6);
            p.drawEllipse(end - normal, 3.6, 3.6);
        }
        p.setPen(QPen(outline, 7.6, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(axis);
        p.setPen(QPen(bone, 5.2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(axis);
    };
    drawBone({7, 33}, {53, 50});
    drawBone({53, 33}, {7, 50});

    // The skull: a rounded cranium over a narrower jaw.
    QPainterPath head;
    head.addEllipse(QRectF(14, 2, 32, 30));
    QPainterPath jaw;
    jaw.addRoundedRect(QRectF(20, 24, 20, 15), 4, 4);
    const QPainterPath whole = head.united(jaw);
    p.setPen(QPen(outline, 1.4));
    p.setBrush(skull);
    p.drawPath(whole);

    p.setPen(Qt::NoPen);
    p.setBrush(hollow);
    p.drawEllipse(QRectF(19.5, 13, 8.5, 8.5));
    p.drawEllipse(QRectF(32, 13, 8.5, 8.5));
    QPainterPath nose;
    nose.moveTo(30, 22.5);
    nose.lineTo(27.5, 27.5);
    nose.lineTo(32.5, 27.5);
    nose.closeSubpath();
    p.drawPath(nose);
    // Teeth: a row of gaps across the jaw.
    p.setPen(QPen(outline, 1.0));
    p.drawLine(QPointF(22, 32.5), QPointF(38, 32.5));
    for (int x = 24; x <= 36; x += 3) p.drawLine(QPointF(x + 0.5, 30), QPointF(x + 0.5, 37));
    p.end();

    // Palette: greys 0..208 from black to white; 209 the transparent
    // background; the rest unused.
    IndexedImage emblem(60, 55);
    constexpr int kGreys = 209;
    constexpr int kTransparent = 209;
    for (int i = 0; i < kGreys; ++i) {
        const auto level = static_cast<std::uint8_t>((i * 255 + (kGreys - 1) / 2) / (kGreys - 1));
        emblem.palette[static_cast<std::size_t>(i)] = {level, level, level};
    }
    emblem.palette[kTransparent] = {0, 0, 0};
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const QRgb pixel = art.pixel(x, y);  // premultiplied: its grey as seen on black
            if (qAlpha(pixel) == 0) {
                emblem.set(x, y, kTransparent);
                continue;
            }
            emblem.set(x, y, static_cast<std::uint8_t>((qGray(pixel) * (kGreys - 1) + 127) / 255));
        }
    writeGif(file, emblem, kTransparent, 10);
}

// A pointing hand in black and white; the tip of the index finger is the hot
// spot. '.' transparent, 'B' black, 'W' white.
void writeCursor(const std::filesystem::path& file) {
    static const char* const rows[] = {
        "",
        "............BB",
        "...........BWWB",
        "...........BWWB",
        "...........BWWB",
        "...........BWWB",
        "...........BWWBBB",
        "...........BWWBWWBBB",
        "...........BWWBWWBWWBB",
        "...........BWWBWWBWWBWB",
        "........BB.BWWBWWBWWBWWB",
        "........BWBBWWWWWWWWWWWB",
        "........BWWBWWWWWWWWWWWB",
        ".........BWWWWWWWWWWWWWB",
        ".........BWWWWWWWWWWWWWB",
        "..........BWWWWWWWWWWWWB",
        "..........BWWWWWWWWWWWB",
        "...........BWWWWWWWWWWB",
        "...........BWWWWWWWWWWB",
        "............BWWWWWWWWB",
        "............BWWWWWWWWB",
        "............BBBBBBBBBB",
    };
    IndexedImage hand(32, 32, 16);
    // The sixteen colours of the classic 4-bit palette.
    const Rgb vga[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                         {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                         {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                         {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (std::size_t i = 0; i < 16; ++i) hand.palette[i] = vga[i];
    int y = 0;
    for (const char* row : rows) {
        for (int x = 0; row[x] != '\0'; ++x) {
            if (row[x] == 'B') hand.set(x, y, 0);
            if (row[x] == 'W') hand.set(x, y, 15);
        }
        ++y;
    }
    writeCur(file, hand, 12, 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [ICON_THEME_FOLDER]\n", argv[0]);
        return 2;
    }
    // Only painting into images: no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        const std::filesystem::path out(argv[1]);
        std::filesystem::create_directories(out);
        writeIcon(out / "Form1.ico");
        writeLegend(out / "Image1.jpg");
        writeEmblem(out / "Picture4.gif");
        writeCursor(out / "Hand.cur");
        if (argc == 3) writeThemeIcons(argv[2], "net.lumenfold.Lumenfold");
        // giflib creates its file private; the assets are ordinary sources.
        using std::filesystem::perms;
        for (const auto& entry : std::filesystem::directory_iterator(out))
            std::filesystem::permissions(entry.path(), perms::owner_read | perms::owner_write | perms::group_read |
                                                           perms::others_read);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "assetgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
