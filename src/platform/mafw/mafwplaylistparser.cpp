#include "mafwplaylistparser.h"

#include <QMap>
#include <QRegularExpression>

MafwPlaylistParser::Format MafwPlaylistParser::formatOf(const QString& mimeType)
{
    const QString type = mimeType.trimmed().toLower();
    if (type == QLatin1String("audio/x-scpls")) {
        return Pls;
    }
    if (type == QLatin1String("audio/x-mpegurl") || type == QLatin1String("audio/mpegurl") ||
        type == QLatin1String("application/vnd.apple.mpegurl") ||
        type == QLatin1String("application/x-mpegurl")) {
        return M3u;
    }
    return Unknown;
}

QUrl MafwPlaylistParser::resolve(const QString& entry, const QUrl& base)
{
    // A rooted path is a local file, unless the list came from a server.
    if (entry.startsWith(QLatin1Char('/')) && !entry.startsWith(QLatin1String("//"))) {
        return base.isLocalFile() || base.isEmpty() ? QUrl::fromLocalFile(entry)
                                                    : base.resolved(QUrl(entry));
    }
    // A scheme of two or more letters: an absolute URL ("C:\..." is not one).
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(entry).hasMatch()) {
        return QUrl(entry);
    }
    return base.resolved(QUrl(entry));
}

QList<QUrl> MafwPlaylistParser::parse(const QByteArray& data, const QUrl& base,
                                      const QString& mimeType)
{
    QString text = QString::fromUtf8(data);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    Format format = formatOf(mimeType);
    if (format == Unknown) {
        format =
            text.trimmed().startsWith(QLatin1String("[playlist]"), Qt::CaseInsensitive) ? Pls : M3u;
    }
    QList<QUrl> entries;
    if (format == Pls) {
        // FileN=... in the order of N, whatever the order of the lines.
        static const QRegularExpression file(QStringLiteral("^File(\\d+)\\s*=\\s*(.*)$"),
                                             QRegularExpression::CaseInsensitiveOption);
        QMap<int, QUrl> numbered;
        for (const QString& line : lines) {
            const auto match = file.match(line.trimmed());
            if (match.hasMatch() && !match.captured(2).trimmed().isEmpty()) {
                numbered.insert(match.captured(1).toInt(),
                                resolve(match.captured(2).trimmed(), base));
            }
        }
        entries = numbered.values();
    } else {
        for (const QString& raw : lines) {
            const QString line = raw.trimmed();
            if (!line.isEmpty() && !line.startsWith(QLatin1Char('#'))) {
                entries << resolve(line, base);
            }
        }
    }
    QList<QUrl> valid;
    for (const QUrl& url : qAsConst(entries)) {
        if (url.isValid() && !url.isEmpty()) {
            valid << url;
        }
    }
    return valid;
}

QByteArray MafwPlaylistParser::writeM3u(const QList<QUrl>& entries)
{
    QByteArray out("#EXTM3U\n");
    for (const QUrl& url : entries) {
        out += (url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)).toUtf8();
        out += '\n';
    }
    return out;
}
