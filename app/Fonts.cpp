#include "app/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace app {

void installFontSubstitutes() {
    const QString digital = QString::fromLatin1(kDigitalFamily);
    if (!QFontDatabase::hasFamily(digital) && QFont::substitutes(digital).isEmpty())
        QFont::insertSubstitution(digital, QString::fromLatin1(kDigitalSubstitute));

    const QString tahoma = QString::fromLatin1(kTahomaFamily);
    if (!QFontDatabase::hasFamily(tahoma) && QFont::substitutes(tahoma).isEmpty()) {
        // A concrete installed family: an alias such as "Sans Serif" would
        // send every lookup through fontconfig's slow fallback search.
        QString sans;
        for (const char* family : {"DejaVu Sans", "Liberation Sans", "Noto Sans"}) {
            if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
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
    // Asked of the font database, not of a resolved QFontInfo: resolving
    // would load a font engine for the unstretched font, used nowhere.
    const QString family = QString::fromLatin1(kDigitalFamily);
    const bool substituted = !QFontDatabase::hasFamily(family) &&
                             QFont::substitutes(family).contains(QString::fromLatin1(kDigitalSubstitute), Qt::CaseInsensitive);
    if (substituted) font.setStretch(kDigitalSubstituteStretch);
    return font;
}

QFont tahomaFont(qreal points, bool bold) {
    QFont font(QString::fromLatin1(kTahomaFamily));
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

}  // namespace app
