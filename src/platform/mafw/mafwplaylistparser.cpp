#include "mafwplaylistparser.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextCodec>

#include <algorithm>
#include <vector>

namespace {

constexpr int Utf8Mib = 106;

const QRegularExpression& plsFileLine()
{
    static const QRegularExpression line(QStringLiteral("^File(\\d+)\\s*=\\s*(.*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return line;
}

// A line that a PLS file may hold: a key it knows, a section or a comment.
bool isPlsLine(const QString& line)
{
    static const QRegularExpression key(
        QStringLiteral("^(?:(?:File|Title|Length)\\d+|NumberOfEntries|Version)\\s*="),
        QRegularExpression::CaseInsensitiveOption);
    return line.startsWith(QLatin1Char('[')) || line.startsWith(QLatin1Char(';')) ||
           line.startsWith(QLatin1Char('#')) || key.match(line).hasMatch();
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// Whether a local path reads back unchanged from an M3U line (lines are split at line breaks
// and trimmed).
bool survivesAsLine(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')) || path != path.trimmed()) {
        return false;
    }
    return std::none_of(path.cbegin(), path.cend(),
                        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

// A PLS entry: its number without leading zeros (numbers of any length compare by length,
// then digits), its place in the file and its text.
struct Numbered
{
    QString number;
    int line;
    QString text;
};

bool numberedBefore(const Numbered& a, const Numbered& b)
{
    if (a.number.size() != b.number.size()) {
        return a.number.size() < b.number.size();
    }
    const int order = a.number.compare(b.number);
    return order != 0 ? order < 0 : a.line < b.line;
}

} // namespace

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

QString MafwPlaylistParser::decode(const QByteArray& data)
{
    if (QTextCodec* marked = QTextCodec::codecForUtfText(data, nullptr)) {
        return marked->toUnicode(data); // drops the mark
    }
    QTextCodec::ConverterState state;
    const QString text =
        QTextCodec::codecForMib(Utf8Mib)->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0) {
        return text;
    }
    return QString::fromLatin1(data);
}

QUrl MafwPlaylistParser::resolve(const QString& entry, const QUrl& base)
{
    // "C:\Music\a.mp3": a Windows drive, not a URL scheme, and nothing here.
    if (entry.size() >= 2 && entry.at(1) == QLatin1Char(':') && isAsciiLetter(entry.at(0))) {
        return QUrl();
    }
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(entry).hasMatch()) {
        return QUrl(entry);
    }
    const bool noBase = base.isEmpty() || base.isRelative();
    // A rooted path is a local file, unless the list came from a server.
    if (entry.startsWith(QLatin1Char('/'))) {
        return noBase || base.isLocalFile() ? QUrl::fromLocalFile(entry)
                                            : base.resolved(QUrl(entry));
    }
    if (noBase) {
        return QUrl();
    }
    if (base.isLocalFile()) {
        // A path beside the list ('#' and '%' are part of the name); a list made on Windows
        // separates with backslashes.
        QString path = entry;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return QUrl::fromLocalFile(
            QDir::cleanPath(QFileInfo(base.toLocalFile()).path() + QLatin1Char('/') + path));
    }
    return base.resolved(QUrl(entry));
}

QList<QUrl> MafwPlaylistParser::parse(const QByteArray& data, const QUrl& base,
                                      const QString& mimeType, Report* report)
{
    Report local;
    Report& found = report ? *report : local;
    found = Report();
    const QString text = decode(data);
    QStringList lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty()) {
            lines << trimmed;
        }
    }
    if (lines.isEmpty()) {
        return {};
    }
    const QString& first = lines.first();
    if (text.contains(QChar(0)) || first.startsWith(QLatin1Char('<'))) {
        found.notAPlaylist = true;
        return {};
    }
    Format format = Unknown;
    if (first.startsWith(QLatin1String("[playlist]"), Qt::CaseInsensitive)) {
        format = Pls;
    } else if (first.startsWith(QLatin1String("#EXTM3U"))) {
        format = M3u;
    } else {
        const bool hasFile = std::any_of(lines.cbegin(), lines.cend(), [](const QString& line) {
            return plsFileLine().match(line).hasMatch();
        });
        const bool onlyPls = std::all_of(lines.cbegin(), lines.cend(), isPlsLine);
        if (!hasFile) {
            format = M3u;
        } else if (onlyPls) {
            format = Pls;
        } else {
            format = formatOf(mimeType) == Pls ? Pls : M3u;
        }
    }
    found.format = format;

    QStringList texts;
    if (format == Pls) {
        std::vector<Numbered> numbered;
        for (const QString& line : qAsConst(lines)) {
            const auto match = plsFileLine().match(line);
            if (match.hasMatch() && !match.capturedRef(2).trimmed().isEmpty()) {
                QString number = match.captured(1);
                int zeros = 0;
                while (zeros < number.size() && number.at(zeros) == QLatin1Char('0')) {
                    ++zeros;
                }
                number.remove(0, zeros);
                numbered.push_back({number, int(numbered.size()), match.captured(2).trimmed()});
            }
        }
        std::sort(numbered.begin(), numbered.end(), numberedBefore);
        for (const Numbered& entry : numbered) {
            texts << entry.text;
        }
    } else {
        for (const QString& line : qAsConst(lines)) {
            if (!line.startsWith(QLatin1Char('#'))) {
                texts << line;
            }
        }
    }

    QList<QUrl> entries;
    for (int i = 0; i < texts.size(); ++i) {
        if (entries.size() == MaxEntries) {
            found.beyondLimit = texts.size() - i;
            break;
        }
        const QUrl url = resolve(texts.at(i), base);
        if (url.isValid() && !url.isEmpty() && !url.isRelative()) {
            entries << url;
        } else {
            ++found.unusable;
        }
    }
    return entries;
}

QByteArray MafwPlaylistParser::writeM3u(const QList<QUrl>& entries)
{
    QByteArray out("#EXTM3U\n");
    for (const QUrl& url : entries) {
        const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
        out += (survivesAsLine(path) ? path : url.toString(QUrl::FullyEncoded)).toUtf8();
        out += '\n';
    }
    return out;
}

bool MafwPlaylistParser::isAllowedEntry(const QUrl& playlistUrl, const QUrl& entry)
{
    const QString scheme = entry.scheme().toLower();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    if (playlistUrl.isLocalFile()) {
        return web || entry.isLocalFile();
    }
    const QString origin = playlistUrl.scheme().toLower();
    if (origin == QLatin1String("http") || origin == QLatin1String("https")) {
        return web;
    }
    return false;
}
