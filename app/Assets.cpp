#include "app/Assets.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QResource>

// The resources live in a static library: make sure they are registered
// before the first lookup.
static void registerAssets() { Q_INIT_RESOURCE(assets); }

namespace app {

namespace {
void ensureRegistered() {
    static const bool registered = (registerAssets(), true);
    (void)registered;
}

// The header and the first directory entry of a cursor file.
constexpr qint64 kCursorEntryEnd = 22;

// A cursor file keeps its hot spot in the directory entry, at bytes 10..13
// (where an icon keeps planes and bit count); Qt's reader drops it.
QPoint cursorHotSpot(const QByteArray& file) {
    if (file.size() < kCursorEntryEnd || file.at(2) != 2 || file.at(3) != 0) return {0, 0};
    const auto u16 = [&](int at) {
        return static_cast<int>(static_cast<unsigned char>(file.at(at))) |
               (static_cast<int>(static_cast<unsigned char>(file.at(at + 1))) << 8);
    };
    return {u16(10), u16(12)};
}
}  // namespace

QIcon windowIcon() {
    ensureRegistered();
    return QIcon(QString::fromLatin1(kWindowIconPath));
}

QString picturePath(const char* path) {
    ensureRegistered();
    return QString::fromLatin1(path);
}

QByteArray resourceData(const char* path) {
    ensureRegistered();
    const QResource resource(QString::fromLatin1(path));
    if (!resource.isValid()) return {};
    // Compiled in as it is: used where it lies in the program, not copied.
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()), resource.size());
    return resource.uncompressedData();
}

QCursor handCursor() {
    ensureRegistered();
    QFile file(QString::fromLatin1(kHandCursorPath));
    if (!file.open(QIODevice::ReadOnly)) return QCursor(Qt::PointingHandCursor);
    const QPoint hot = cursorHotSpot(file.peek(kCursorEntryEnd));
    // The reader picks its plug-in by the file's suffix. Given only a format
    // name, Qt would load every image plug-in in turn until one claims it
    // (SVG and its library among them), at start-up, for one small cursor.
    QImageReader reader(&file);
    const QImage image = reader.read();
    if (image.isNull()) return QCursor(Qt::PointingHandCursor);
    return QCursor(QPixmap::fromImage(image), hot.x(), hot.y());
}

}  // namespace app
