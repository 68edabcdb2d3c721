#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
};

// A palette image; pixels never set are transparent.
struct IndexedImage {
    IndexedImage(int w, int h, int colours = 256)
        : width(w), height(h), palette(static_cast<std::size_t>(colours)),
          pixels(static_cast<std::size_t>(w * h), 0), transparent(static_cast<std::size_t>(w * h), true) {}

    void set(int x, int y, std::uint8_t index) {
        const auto at = static_cast<std::size_t>(y * width + x);
        pixels[at] = index;
        transparent[at] = false;
    }
    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    bool isTransparent(int x, int y) const { return transparent[static_cast<std::size_t>(y * width + x)]; }

    int width;
    int height;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> pixels;
    std::vector<bool> transparent;
};

// An icon file with one 8-bit image (256-colour palette, AND mask).
void writeIco(const std::filesystem::path& file, const IndexedImage& image);
// A cursor file with one 4-bit image and the given hot spot.
void writeCur(const std::filesystem::path& file, const IndexedImage& image, int hotX, int hotY);
// A baseline JFIF 1.02 JPEG, three components, no chroma subsampling.
void writeJpeg(const std::filesystem::path& file, const QImage& rgb, int dotsPerInch);
// A one-frame GIF89a with a 256-entry global colour table, a NETSCAPE2.0
// looping block (loop for ever), the frame delay in hundredths of a second
// and the given transparent index, which is also the background index.
void writeGif(const std::filesystem::path& file, const IndexedImage& image, int transparentIndex, int delay);
