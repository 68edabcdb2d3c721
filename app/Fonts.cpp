#include "app/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>
#include <QtGlobal>

#include "app/Assets.h"

namespace app {

namespace {
// Whether `family` is one of the installed families itself. Unlike
// QFontDatabase::hasFamily it does not ask fontconfig what the name is an
// alias of, a search that costs about a millisecond a name at start-up.
bool installedFamily(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// Registers the compiled-in segment font once per process; false when the
// resource is missing or unreadable, so that nothing names a font that
// does not exist.
bool registerDigitalSubstitute() {
    const QString family = QString::fromLatin1(kDigitalSubstitute);
    // Our own name: nothing aliases it, so the installed families tell.
    if (installedFamily(family)) return true;
    const int id = QFontDatabase::addApplicationFontFromData(resourceData(kDigitalFontPath));
    if (id < 0 || !QFontDatabase::applicationFontFamilies(id).contains(family)) {
        qWarning("The compiled-in font \"%s\" could not be registered", kDigitalSubstitute);
        return false;
    }
    return true;
}
}  // namespace

void installFontSubstitutes() {
    const QString digital = QString::fromLatin1(kDigitalFamily);
    if (!QFontDatabase::hasFamily(digital) && QFont::substitutes(digital).isEmpty() && registerDigitalSubstitute())
        QFont::insertSubstitution(digital, QString::fromLatin1(kDigitalSubstitute));

    const QString tahoma = QString::fromLatin1(kTahomaFamily);
    if (!QFontDatabase::hasFamily(tahoma) && QFont::substitutes(tahoma).isEmpty()) {
        // A concrete installed family: an alias such as "Sans Serif" would
        // send every lookup through fontconfig's slow fallback search.
        QString sans;
        for (const char* family : {"DejaVu Sans", "Liberation Sans", "Noto Sans"}) {
            if (installedFamily(QString::fromLatin1(family))) {
                sans = QString::fromLatin1(family);
                break;
            }
        }
        if (sans.isEmpty()) sans = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
        if (sans.isEmpty() || sans == tahoma) sans = QStringLiteral("Sans Serif");
        QFont::insertSubstitution(tahoma, sans);
    }
}

QFont digitalFont(qreal points) {
    QFont font(QString::fromLatin1(kDigitalFamily));
    font.setPointSizeF(points);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    return font;
}

QFont tahomaFont(qreal points, bool bold) {
    QFont font(QString::fromLatin1(kTahomaFamily));
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

}  // namespace app
