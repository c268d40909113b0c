#include "mtheme.h"

#include "mstyle.h"
#include "mstylecreator.h"
#include "mtheme_p.h"
#include "mtouchlogging_p.h"

#include <QCoreApplication>

#include <utility>

namespace MThemeInternal {

ThemeData& theme()
{
    static ThemeData data;
    return data;
}

QStringList searchPath()
{
    ThemeData& t = theme();
    QStringList path = t.directories;
    const QString fromEnv = qEnvironmentVariable("KELMORA_THEME_PATH");
    path += fromEnv.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    path += t.defaultDirectories;
    return path;
}

void warnOnce(const QString& key, const QString& warning)
{
    if (!theme().warned.contains(key)) {
        theme().warned.insert(key);
        qCWarning(lcMTouch).noquote() << warning;
    }
}

} // namespace MThemeInternal

using namespace MThemeInternal;

const MStyle* MTheme::style(const char* styleClass, const QString& objectName)
{
    ThemeData& t = theme();
    const QString type = QString::fromLatin1(styleClass);
    const QString key = type + QLatin1Char('#') + objectName;
    if (MStyle* shared = t.styles.take(key)) {
        return shared;
    }
    const MStyleCreatorBase* creator = t.styleCreators.value(type);
    if (!creator) {
        return nullptr;
    }
    loadRules();
    MStyle* made = creator->create();
    // Base classes first, each overridden by the object name.
    QList<const QMetaObject*> chain;
    for (const QMetaObject* meta = made->metaObject(); meta; meta = meta->superClass()) {
        chain.prepend(meta);
    }
    for (const QMetaObject* meta : chain) {
        applyRules(made, QString::fromLatin1(meta->className()));
    }
    if (!objectName.isEmpty()) {
        for (const QMetaObject* meta : chain) {
            applyRules(made,
                       QString::fromLatin1(meta->className()) + QLatin1Char('#') + objectName);
        }
    }
    return t.styles.insert(key, made);
}

void MTheme::releaseStyle(const MStyle* style)
{
    theme().styles.release(style);
}

const QPixmap* MTheme::pixmap(const QString& id, const QSize& size)
{
    return pixmap(id, size, 1.0);
}

const QPixmap* MTheme::pixmap(const QString& id, const QSize& size, qreal devicePixelRatio)
{
    ThemeData& t = theme();
    // Kept pixmaps go with the application, not at static destruction after it (and again
    // with the next application, if one follows).
    static bool dropSparesAtExit = false;
    if (!std::exchange(dropSparesAtExit, true)) {
        qAddPostRoutine([] {
            theme().pixmaps.dropSpares();
            dropSparesAtExit = false;
        });
    }
    qreal ratio = size.isEmpty() || !(devicePixelRatio > 0) ? 1.0 : devicePixelRatio;
    QSize pixels = size * ratio;
    if (!withinBounds(pixels)) {
        ratio = 1.0;
        pixels = size;
    }
    QString key = QStringLiteral("%1@%2x%3").arg(id).arg(size.width()).arg(size.height());
    if (ratio != 1.0) {
        key += QStringLiteral("@%1x").arg(ratio);
    }
    if (QPixmap* shared = t.pixmaps.take(key)) {
        return shared;
    }
    auto* made = new QPixmap;
    QString problem;
    if (!loadImage(id, pixels, *made, problem)) {
        warnOnce(id, problem.isEmpty()
                         ? QStringLiteral("theme image \"%1\" not found").arg(id)
                         : QStringLiteral("theme image \"%1\" replaced by a placeholder: %2")
                               .arg(id, problem));
        *made = placeholder(pixels);
    }
    made->setDevicePixelRatio(ratio);
    return t.pixmaps.insert(key, made);
}

void MTheme::releasePixmap(const QPixmap* pixmap)
{
    theme().pixmaps.release(pixmap);
}

bool MTheme::hasPixmap(const QString& id)
{
    QPixmap ignored;
    QString problem;
    return loadImage(id, QSize(1, 1), ignored, problem);
}

void MTheme::addDirectory(const QString& directory)
{
    theme().directories.prepend(directory);
    theme().rulesLoaded = false;
    theme().pixmaps.dropSpares();
}

void MTheme::addDefaultDirectory(const QString& directory)
{
    theme().defaultDirectories.append(directory);
    theme().rulesLoaded = false;
    theme().pixmaps.dropSpares();
}

QStringList MTheme::directories()
{
    return searchPath();
}

int MTheme::liveStyles()
{
    return theme().styles.size();
}

int MTheme::livePixmaps()
{
    return theme().pixmaps.size();
}
