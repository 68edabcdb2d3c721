#include "tools/assetgen/Writers.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <gif_lib.h>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openForWriting(const std::filesystem::path& path) {
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) throw std::runtime_error("cannot write " + path.string());
    return f;
}

class Bytes {
public:
    void u8(unsigned v) { data_.push_back(static_cast<char>(v & 0xFF)); }
    void u16(unsigned v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    const std::string& data() const { return data_; }

private:
    std::string data_;
};

// The image of an icon or cursor resource: a bitmap header of twice the
// height, the palette, the colour pixels bottom-up, then the 1-bit AND mask
// (1 = transparent), rows padded to four bytes.
std::string iconImage(const IndexedImage& image, int bitsPerPixel) {
    const int colours = 1 << bitsPerPixel;
    const int colourStride = ((image.width * bitsPerPixel + 31) / 32) * 4;
    const int maskStride = ((image.width + 31) / 32) * 4;
    const auto colourSize = static_cast<std::uint32_t>(colourStride * image.height);
    const auto maskSize = static_cast<std::uint32_t>(maskStride * image.height);

    Bytes b;
    b.u32(40);
    b.u32(static_cast<std::uint32_t>(image.width));
    b.u32(static_cast<std::uint32_t>(image.height * 2));
    b.u16(1);
    b.u16(static_cast<unsigned>(bitsPerPixel));
    b.u32(0);  // uncompressed
    b.u32(colourSize + maskSize);
    b.u32(0);
    b.u32(0);
    b.u32(static_cast<std::uint32_t>(colours));
    b.u32(0);
    for (int i = 0; i < colours; ++i) {
        const Rgb c = i < static_cast<int>(image.palette.size()) ? image.palette[static_cast<std::size_t>(i)] : Rgb{};
        b.u8(c.blue);
        b.u8(c.green);
        b.u8(c.red);
        b.u8(0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(colourStride), 0);
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t index = image.isTransparent(x, y) ? 0 : image.at(x, y);
            if (bitsPerPixel == 8) {
                row[static_cast<std::size_t>(x)] = index;
            } else {  // 4 bits: the left pixel in the high nibble
                auto& byte = row[static_cast<std::size_t>(x / 2)];
                byte = static_cast<std::uint8_t>(byte | (x % 2 == 0 ? (index & 0xF) << 4 : (index & 0xF)));
            }
        }
        for (auto v : row) b.u8(v);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < image.width; ++x)
            if (image.isTransparent(x, y)) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        for (auto v : row) b.u8(v);
    }
    return b.data();
}

// The directory of an icon (type 1) or cursor (type 2) file with one entry;
// the image follows at offset 22.
void writeIconFile(const std::filesystem::path& file, const IndexedImage& image, int bitsPerPixel, bool cursor,
                   int hotX, int hotY) {
    const std::string body = iconImage(image, bitsPerPixel);
    const int colours = 1 << bitsPerPixel;
    Bytes b;
    b.u16(0);
    b.u16(cursor ? 2 : 1);
    b.u16(1);
    b.u8(static_cast<unsigned>(image.width));
    b.u8(static_cast<unsigned>(image.height));
    b.u8(colours >= 256 ? 0 : static_cast<unsigned>(colours));
    b.u8(0);
    b.u16(cursor ? static_cast<unsigned>(hotX) : 1);                          // planes, or hot spot x
    b.u16(cursor ? static_cast<unsigned>(hotY) : static_cast<unsigned>(bitsPerPixel));  // bit count, or hot spot y
    b.u32(static_cast<std::uint32_t>(body.size()));
    b.u32(22);
    std::ofstream out(file, std::ios::binary);
    out << b.data() << body;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

void writeIco(const std::filesystem::path& file, const IndexedImage& image) {
    writeIconFile(file, image, 8, false, 0, 0);
}

void writeCur(const std::filesystem::path& file, const IndexedImage& image, int hotX, int hotY) {
    writeIconFile(file, image, 4, true, hotX, hotY);
}

void writeJpeg(const std::filesystem::path& file, const QImage& source, int dotsPerInch) {
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    File out = openForWriting(file);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);  // reports and exits on failure
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out.get());
    cinfo.image_width = static_cast<JDIMENSION>(rgb.width());
    cinfo.image_height = static_cast<JDIMENSION>(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);  // baseline tables
    cinfo.write_JFIF_header = TRUE;
    cinfo.JFIF_major_version = 1;
    cinfo.JFIF_minor_version = 2;
    cinfo.density_unit = 1;  // dots per inch
    cinfo.X_density = static_cast<UINT16>(dotsPerInch);
    cinfo.Y_density = static_cast<UINT16>(dotsPerInch);
    // Full-resolution colour keeps the lettering's edges clean.
    for (int c = 0; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* line = const_cast<JSAMPLE*>(rgb.constScanLine(static_cast<int>(cinfo.next_scanline)));
        JSAMPROW rows[1] = {line};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
}

void writeGif(const std::filesystem::path& file, const IndexedImage& image, int transparentIndex, int delay) {
    struct MapFree {
        void operator()(ColorMapObject* m) const { GifFreeMapObject(m); }
    };
    std::vector<GifColorType> colours(256);
    for (std::size_t i = 0; i < colours.size() && i < image.palette.size(); ++i)
        colours[i] = {image.palette[i].red, image.palette[i].green, image.palette[i].blue};
    std::unique_ptr<ColorMapObject, MapFree> map(GifMakeMapObject(256, colours.data()));

    int error = 0;
    GifFileType* gif = EGifOpenFileName(file.c_str(), false, &error);
    if (!gif) throw std::runtime_error("cannot write " + file.string() + ": " + GifErrorString(error));
    const auto check = [&](int result, const char* what) {
        if (result != GIF_OK) {
            EGifCloseFile(gif, &error);
            throw std::runtime_error(std::string(what) + " failed for " + file.string());
        }
    };
    EGifSetGifVersion(gif, true);
    check(EGifPutScreenDesc(gif, image.width, image.height, 8, transparentIndex, map.get()), "screen descriptor");

    // NETSCAPE2.0 looping block: sub-block 1, loop count 0 (for ever).
    static const char kNetscape[] = "NETSCAPE2.0";
    const GifByteType loop[3] = {1, 0, 0};
    check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), "looping block");
    check(EGifPutExtensionBlock(gif, 11, kNetscape), "looping block");
    check(EGifPutExtensionBlock(gif, 3, loop), "looping block");
    check(EGifPutExtensionTrailer(gif), "looping block");

    GraphicsControlBlock control{};
    control.DisposalMode = 0;  // no disposal: there is one frame
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = transparentIndex;
    GifByteType controlBytes[4];
    EGifGCBToExtension(&control, controlBytes);
    check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, controlBytes), "graphic control");

    check(EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr), "image descriptor");
    std::vector<GifPixelType> row(static_cast<std::size_t>(image.width));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) row[static_cast<std::size_t>(x)] = image.at(x, y);
        check(EGifPutLine(gif, row.data(), image.width), "image data");
    }
    if (EGifCloseFile(gif, &error) != GIF_OK) throw std::runtime_error("cannot finish " + file.string());
}
