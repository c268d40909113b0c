#include "mtheme.h"

#include "mimagereader.h"
#include "mstyle.h"
#include "mstylecreator.h"
#include "mthemerules_p.h"
#include "mtouchlogging_p.h"
#include "mviewcreator.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QMetaProperty>
#include <QPainter>
#include <QSet>

namespace {

// Theme files are input: read whole only when regular and small, images made only up to a
// size that costs little memory.
constexpr qint64 BytesPerMiB = 1024 * 1024;
constexpr qint64 MaxAttributeFileSize = 1 * BytesPerMiB;
constexpr qint64 MaxImageFileSize = 4 * BytesPerMiB;
constexpr int MaxImageSide = MImageReader::MaxSide;
constexpr int PlaceholderSide = 32;

// Objects shared by key and counted; deleted when the last user gives them back.
template <typename T> class SharedCache
{
public:
    // The object under key with one more user, or null.
    T* take(const QString& key)
    {
        T* shared = m_byKey.value(key);
        if (shared) {
            ++m_use[shared].refs;
        }
        return shared;
    }
    T* insert(const QString& key, T* made)
    {
        m_byKey.insert(key, made);
        m_use.insert(made, {1, key});
        return made;
    }
    void release(const T* object)
    {
        auto it = m_use.find(object);
        if (it == m_use.end() || --it->refs > 0) {
            return;
        }
        m_byKey.remove(it->key);
        m_use.erase(it);
        delete object;
    }
    int size() const { return m_byKey.size(); }

private:
    struct Use
    {
        int refs;
        QString key;
    };
    QHash<QString, T*> m_byKey;
    QHash<const T*, Use> m_use;
};

struct ThemeData
{
    QStringList directories;        // searched first to last
    QStringList defaultDirectories; // after all others
    bool rulesLoaded = false;
    MThemeRules::Rules rules;
    QHash<QString, const MStyleCreatorBase*> styleCreators;
    QHash<QString, const MViewCreatorBase*> viewCreators;
    SharedCache<MStyle> styles;
    SharedCache<QPixmap> pixmaps;
    QSet<QString> warned;
};

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

bool readThemeFile(const QString& path, qint64 maxSize, QByteArray& data, QString& reason)
{
    return MImageReader::readFile(path, maxSize, &data, &reason);
}

void warnOnce(const QString& key, const QString& warning)
{
    if (!theme().warned.contains(key)) {
        theme().warned.insert(key);
        qCWarning(lcMTouch).noquote() << warning;
    }
}

void loadRules()
{
    ThemeData& t = theme();
    if (t.rulesLoaded) {
        return;
    }
    t.rulesLoaded = true;
    t.rules.clear();
    // Lowest priority first, so that later files override.
    const QStringList path = searchPath();
    for (auto dir = path.crbegin(); dir != path.crend(); ++dir) {
        const QString file = QDir(*dir).filePath(QStringLiteral("theme.conf"));
        if (!QFileInfo::exists(file)) {
            continue;
        }
        QByteArray data;
        QString reason;
        if (readThemeFile(file, MaxAttributeFileSize, data, reason)) {
            MThemeRules::parse(QString::fromUtf8(data), t.rules);
        } else {
            warnOnce(file, QStringLiteral("theme file %1 skipped: %2").arg(file, reason));
        }
    }
}

QVariant convert(const QString& value, const QMetaProperty& property)
{
    const QStringList parts =
        value.simplified().remove(QStringLiteral("px")).split(QLatin1Char(' '));
    switch (property.userType()) {
    case QMetaType::QSize:
        return parts.size() == 2 ? QVariant(QSize(parts[0].toInt(), parts[1].toInt())) : QVariant();
    case QMetaType::QSizeF:
        return parts.size() == 2 ? QVariant(QSizeF(parts[0].toDouble(), parts[1].toDouble()))
                                 : QVariant();
    case QMetaType::QColor: {
        const QColor color(value);
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case QMetaType::Int: {
        bool ok = false;
        const int number = parts.value(0).toInt(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        bool ok = false;
        const double number = parts.value(0).toDouble(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    case QMetaType::Bool:
        if (value == QLatin1String("true") || value == QLatin1String("false")) {
            return value == QLatin1String("true");
        }
        return QVariant();
    default: {
        QVariant converted(value);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        return converted.convert(property.metaType()) ? converted : QVariant();
#else
        return converted.convert(property.userType()) ? converted : QVariant();
#endif
    }
    }
}

void applyRules(MStyle* style, const QString& selector)
{
    const auto rules = theme().rules.constFind(selector);
    if (rules == theme().rules.constEnd()) {
        return;
    }
    const QMetaObject* meta = style->metaObject();
    for (auto it = rules->constBegin(); it != rules->constEnd(); ++it) {
        const int index = meta->indexOfProperty(it.key().toLatin1().constData());
        const QVariant value = index < 0 ? QVariant() : convert(it.value(), meta->property(index));
        if (!value.isValid() || !meta->property(index).write(style, value)) {
            const QString attribute = selector + QLatin1Char('.') + it.key();
            warnOnce(
                attribute,
                QStringLiteral("theme attribute %1: cannot use \"%2\"").arg(attribute, it.value()));
        }
    }
}

bool withinBounds(const QSize& size)
{
    return size.width() <= MaxImageSide && size.height() <= MaxImageSide;
}

QString tooLargeImage(const QSize& size)
{
    return QStringLiteral("%1 by %2 pixels, more than the %3 by %3 a theme image may have")
        .arg(size.width())
        .arg(size.height())
        .arg(MaxImageSide);
}

// Of the size asked for (32 by 32 for its own size), within the bounds.
QPixmap placeholder(const QSize& size)
{
    QSize s = size.isEmpty() ? QSize(PlaceholderSide, PlaceholderSide) : size;
    if (!withinBounds(s)) {
        s = s.scaled(MaxImageSide, MaxImageSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    }
    QPixmap pixmap(s);
    pixmap.fill(QColor(255, 0, 255));
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(0, 0, s.width(), s.height());
    painter.drawLine(0, s.height(), s.width(), 0);
    return pixmap;
}

// SVG rendered at the size asked for, PNG (read as PNG only) scaled to it; both within the
// bounds, SVG without references outside the file.
bool makeImage(const QByteArray& data, const QByteArray& format, const QSize& size, QImage& out,
               QString& problem)
{
    MImageReader reader;
    reader.setFormat(format);
    reader.setSize(size, Qt::IgnoreAspectRatio);
    out = reader.fromData(data);
    problem = reader.errorString();
    return !out.isNull();
}

// The first usable image with that id; else false, and problem tells why when an image was
// there but could not be used.
bool loadImage(const QString& id, const QSize& size, QPixmap& out, QString& problem)
{
    // Ids are names, never paths.
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.contains(QLatin1String(".."))) {
        return false;
    }
    if (!withinBounds(size)) {
        problem = QStringLiteral("asked for ") + tooLargeImage(size);
        return false;
    }
    for (const QString& dir : searchPath()) {
        const QString base = QDir(dir).filePath(QStringLiteral("icons/") + id);
        for (const QString& suffix : {QStringLiteral(".svg"), QStringLiteral(".png")}) {
            const QString path = base + suffix;
            if (!QFileInfo::exists(path)) {
                continue;
            }
            QByteArray data;
            QString reason;
            QImage image;
            const bool made = readThemeFile(path, MaxImageFileSize, data, reason) &&
                              makeImage(data, suffix.mid(1).toLatin1(), size, image, reason);
            if (made) {
                out = QPixmap::fromImage(image);
                return true;
            }
            if (problem.isEmpty()) {
                problem = QStringLiteral("%1: %2").arg(path, reason);
            }
        }
    }
    return false;
}

} // namespace

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
    ThemeData& t = theme();
    const QString key = QStringLiteral("%1@%2x%3").arg(id).arg(size.width()).arg(size.height());
    if (QPixmap* shared = t.pixmaps.take(key)) {
        return shared;
    }
    auto* made = new QPixmap;
    QString problem;
    if (!loadImage(id, size, *made, problem)) {
        warnOnce(id, problem.isEmpty()
                         ? QStringLiteral("theme image \"%1\" not found").arg(id)
                         : QStringLiteral("theme image \"%1\" replaced by a placeholder: %2")
                               .arg(id, problem));
        *made = placeholder(size);
    }
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
}

void MTheme::addDefaultDirectory(const QString& directory)
{
    theme().defaultDirectories.append(directory);
    theme().rulesLoaded = false;
}

QStringList MTheme::directories()
{
    return searchPath();
}

void MTheme::registerStyleCreator(const MStyleCreatorBase* creator)
{
    theme().styleCreators.insert(creator->styleClass(), creator);
}

void MTheme::unregisterStyleCreator(const MStyleCreatorBase* creator)
{
    if (theme().styleCreators.value(creator->styleClass()) == creator) {
        theme().styleCreators.remove(creator->styleClass());
    }
}

const MStyleCreatorBase* MTheme::styleCreator(const QString& styleClass)
{
    return theme().styleCreators.value(styleClass);
}

void MTheme::registerViewCreator(const MViewCreatorBase* creator)
{
    theme().viewCreators.insert(creator->viewClass(), creator);
}

void MTheme::unregisterViewCreator(const MViewCreatorBase* creator)
{
    if (theme().viewCreators.value(creator->viewClass()) == creator) {
        theme().viewCreators.remove(creator->viewClass());
    }
}

const MViewCreatorBase* MTheme::viewCreator(const QString& viewClass)
{
    return theme().viewCreators.value(viewClass);
}

MWidgetView* MTheme::view(const QString& viewClass, const MWidgetController* controller)
{
    const MViewCreatorBase* creator = viewCreator(viewClass);
    return creator ? creator->create(controller) : nullptr;
}

int MTheme::liveStyles()
{
    return theme().styles.size();
}

int MTheme::livePixmaps()
{
    return theme().pixmaps.size();
}

MStyleCreatorBase::MStyleCreatorBase(const char* styleClass, const char* library, int assemblyType)
    : m_styleClass(QString::fromLatin1(styleClass)), m_library(QString::fromLatin1(library)),
      m_assemblyType(assemblyType)
{
    MTheme::registerStyleCreator(this);
}

MStyleCreatorBase::~MStyleCreatorBase()
{
    MTheme::unregisterStyleCreator(this);
}

MViewCreatorBase::MViewCreatorBase(const char* viewClass)
    : m_viewClass(QString::fromLatin1(viewClass))
{
    MTheme::registerViewCreator(this);
}

MViewCreatorBase::~MViewCreatorBase()
{
    MTheme::unregisterViewCreator(this);
}
