#include "mthemerules_p.h"

#include <QRegularExpression>
#include <QStringList>

void MThemeRules::parse(const QString& text, Rules& rules)
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
        Attributes& attributes = rules[match.captured(1)];
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
