#include "mtheme_p.h"

#include "mimagereader.h"
#include "mstyle.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QMetaProperty>

namespace {

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

} // namespace

namespace MThemeInternal {

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
        if (MImageReader::readFile(file, MaxAttributeFileSize, &data, &reason)) {
            MThemeRules::parse(QString::fromUtf8(data), t.rules);
        } else {
            warnOnce(file, QStringLiteral("theme file %1 skipped: %2").arg(file, reason));
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

} // namespace MThemeInternal
