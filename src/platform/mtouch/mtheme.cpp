#include "mtheme.h"

#include "mstyle.h"
#include "mstylecreator.h"
#include "mviewcreator.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QLoggingCategory>
#include <QMetaProperty>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>

Q_LOGGING_CATEGORY(lcTheme, "kelmora.widgets")

namespace {

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
    QHash<QString, QHash<QString, QString>> rules; // "Class" or "Class#name" -> attribute -> value
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

// "Selector { key: value; ... }" blocks; "#" starts a comment only at the start of a line.
void parseRules(const QString& text, QHash<QString, QHash<QString, QString>>& rules)
{
    static const QRegularExpression block(
        QStringLiteral("([A-Za-z_][A-Za-z0-9_]*(?:#[A-Za-z0-9_]+)?)\\s*\\{([^}]*)\\}"));
    QString cleaned;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().startsWith(QLatin1Char('#'))) {
            cleaned += line + QLatin1Char('\n');
        }
    }
    auto it = block.globalMatch(cleaned);
    while (it.hasNext()) {
        const auto match = it.next();
        QHash<QString, QString>& attributes = rules[match.captured(1)];
        for (const QString& declaration : match.captured(2).split(QLatin1Char(';'))) {
            const int colon = declaration.indexOf(QLatin1Char(':'));
            if (colon > 0) {
                QString value = declaration.mid(colon + 1).trimmed();
                if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
                    value.endsWith(QLatin1Char('"'))) {
                    value = value.mid(1, value.size() - 2);
                }
                attributes.insert(declaration.left(colon).trimmed(), value);
            }
        }
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
        QFile file(QDir(*dir).filePath(QStringLiteral("theme.conf")));
        if (file.open(QIODevice::ReadOnly)) {
            parseRules(QString::fromUtf8(file.readAll()), t.rules);
        }
    }
}

QVariant convert(const QString& value, const QMetaProperty& property)
{
    const QStringList parts =
        value.simplified().remove(QStringLiteral("px")).split(QLatin1Char(' '));
    switch (int(property.type())) {
    case QVariant::Size:
        return parts.size() == 2 ? QVariant(QSize(parts[0].toInt(), parts[1].toInt())) : QVariant();
    case QVariant::SizeF:
        return parts.size() == 2 ? QVariant(QSizeF(parts[0].toDouble(), parts[1].toDouble()))
                                 : QVariant();
    case QVariant::Color: {
        const QColor color(value);
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case QVariant::Int: {
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
    case QVariant::Bool:
        if (value == QLatin1String("true") || value == QLatin1String("false")) {
            return value == QLatin1String("true");
        }
        return QVariant();
    default: {
        QVariant converted(value);
        return converted.convert(property.userType()) ? converted : QVariant();
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
            const QString warning = selector + QLatin1Char('.') + it.key();
            if (!theme().warned.contains(warning)) {
                theme().warned.insert(warning);
                qCWarning(lcTheme).noquote()
                    << QStringLiteral("theme attribute %1: cannot use \"%2\"")
                           .arg(warning, it.value());
            }
        }
    }
}

QPixmap placeholder(const QSize& size)
{
    const QSize s = size.isEmpty() ? QSize(32, 32) : size;
    QPixmap pixmap(s);
    pixmap.fill(QColor(255, 0, 255));
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(0, 0, s.width(), s.height());
    painter.drawLine(0, s.height(), s.width(), 0);
    return pixmap;
}

bool loadImage(const QString& id, const QSize& size, QPixmap& out)
{
    // Ids are names, never paths.
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.contains(QLatin1String(".."))) {
        return false;
    }
    for (const QString& dir : searchPath()) {
        const QString base = QDir(dir).filePath(QStringLiteral("icons/") + id);
        if (QFile::exists(base + QStringLiteral(".svg"))) {
            QSvgRenderer renderer(base + QStringLiteral(".svg"));
            if (!renderer.isValid()) {
                continue;
            }
            const QSize target = size.isEmpty() ? renderer.defaultSize() : size;
            QImage image(target, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            out = QPixmap::fromImage(image);
            return true;
        }
        QImage image(base + QStringLiteral(".png"));
        if (!image.isNull()) {
            if (!size.isEmpty() && image.size() != size) {
                image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            }
            out = QPixmap::fromImage(image);
            return true;
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
    if (!loadImage(id, size, *made)) {
        if (!t.warned.contains(id)) {
            t.warned.insert(id);
            qCWarning(lcTheme).noquote() << QStringLiteral("theme image \"%1\" not found").arg(id);
        }
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
    return loadImage(id, QSize(1, 1), ignored);
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

void MTheme::reload()
{
    theme().rulesLoaded = false;
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
