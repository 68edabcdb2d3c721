#include "app/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>
#include <QtGlobal>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

#include "app/Assets.h"

namespace app {

namespace {
// The installed family `family` names, in the font database's own
// spelling, or an empty string. Unlike QFontDatabase::hasFamily it does not
// ask fontconfig what the name is an alias of, a search that costs about a
// millisecond a name at start-up.
QString installedSpelling(const QString& family) {
    const QStringList installed = QFontDatabase::families();
    const auto found = std::find_if(installed.begin(), installed.end(), [&](const QString& name) {
        return name.compare(family, Qt::CaseInsensitive) == 0;
    });
    return found != installed.end() ? *found : QString();
}

bool installedFamily(const QString& family) { return !installedSpelling(family).isEmpty(); }

// The first family after fontconfig's substitution rules, as Qt's own
// alias resolution takes it.
QString resolvedFamily(const char* family) {
    const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), &FcPatternDestroy);
    if (!pattern) return QString::fromLatin1(family);
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcChar8* first = nullptr;
    if (FcPatternGetString(pattern.get(), FC_FAMILY, 0, &first) != FcResultMatch || !first) return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(first));
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

// The family to ask Qt for: the named one where it is installed, else the
// stand-in installFontSubstitutes chose for it. A font asked for by a
// missing name reaches its substitute only after Qt has had fontconfig
// sort every installed font as a fallback for that name, once for each
// style: about a millisecond in all at start-up.
QString installedOrStandIn(const char* family) {
    // Qt keeps substitutes in lower case: a font's name reads as installed.
    const QString asked = QFont::substitute(QString::fromLatin1(family));
    const QString spelled = installedSpelling(asked);
    return spelled.isEmpty() ? asked : spelled;
}
}  // namespace

FontConfigurationLoad::FontConfigurationLoad() {
    const auto load = [this] {
        FcInit();
        aliases_ = resolveFontAliases();
    };
    thread_ = toolkit::SmallThread::ifPossible(load);
    // No thread to be had: load here instead.
    if (!thread_.joinable()) load();
}

FontConfigurationLoad::~FontConfigurationLoad() { wait(); }

void FontConfigurationLoad::wait() {
    if (thread_.joinable()) thread_.join();
}

FontAliases resolveFontAliases() { return {resolvedFamily(kDigitalFamily), resolvedFamily(kTahomaFamily)}; }

void installFontSubstitutes(const FontAliases& aliases) {
    const QString digital = QString::fromLatin1(kDigitalFamily);
    if (!installedFamily(aliases.digital) && QFont::substitutes(digital).isEmpty() && registerDigitalSubstitute())
        QFont::insertSubstitution(digital, QString::fromLatin1(kDigitalSubstitute));

    const QString tahoma = QString::fromLatin1(kTahomaFamily);
    if (!installedFamily(aliases.tahoma) && QFont::substitutes(tahoma).isEmpty()) {
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
    QFont font(installedOrStandIn(kDigitalFamily));
    font.setPointSizeF(points);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QFont tahomaFont(qreal points, bool bold) {
    QFont font(installedOrStandIn(kTahomaFamily));
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

}  // namespace app
