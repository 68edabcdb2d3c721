#include "app/Assets.h"

#include <QFile>
#include <QImage>
#include <QPixmap>

// The resources live in a static library: make sure they are registered
// before the first lookup.
static void registerAssets() { Q_INIT_RESOURCE(assets); }

namespace app {

namespace {
void ensureRegistered() {
    static const bool registered = (registerAssets(), true);
    (void)registered;
}

// A cursor file keeps its hot spot in the directory entry, at bytes 10..13
// (where an icon keeps planes and bit count); Qt's reader drops it.
QPoint cursorHotSpot(const QByteArray& file) {
    if (file.size() < 22 || file.at(2) != 2 || file.at(3) != 0) return {0, 0};
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
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QCursor handCursor() {
    ensureRegistered();
    QFile file(QString::fromLatin1(kHandCursorPath));
    if (!file.open(QIODevice::ReadOnly)) return QCursor(Qt::PointingHandCursor);
    const QByteArray bytes = file.readAll();
    const QImage image = QImage::fromData(bytes, "CUR");
    if (image.isNull()) return QCursor(Qt::PointingHandCursor);
    const QPoint hot = cursorHotSpot(bytes);
    return QCursor(QPixmap::fromImage(image), hot.x(), hot.y());
}

}  // namespace app
