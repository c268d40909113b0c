#include "mafwplaylistparser.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Text from UTF-16 or UTF-32 data after its byte order mark; the unit size and byte order
// come from the mark.
QString fromUtfUnits(const QByteArray& data, int unit, bool bigEndian)
{
    const int count = data.size() / unit;
    auto at = [&](int i) {
        quint32 value = 0;
        for (int b = 0; b < unit; ++b) {
            const auto byte = quint32(quint8(data.at(i * unit + (bigEndian ? b : unit - 1 - b))));
            value = (value << 8) | byte;
        }
        return value;
    };
    if (unit == 2) {
        std::u16string units(size_t(count), u'\0');
        for (int i = 0; i < count; ++i) {
            units[size_t(i)] = char16_t(at(i));
        }
        return QString::fromUtf16(units.data(), count);
    }
    std::u32string units(size_t(count), U'\0');
    for (int i = 0; i < count; ++i) {
        units[size_t(i)] = char32_t(at(i));
    }
    return QString::fromUcs4(units.data(), count);
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool allAsciiDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), isAsciiDigit);
}

// "scheme:" of two or more characters ("C:" is a drive).
bool hasScheme(const QString& entry)
{
    if (entry.isEmpty() || !isAsciiLetter(entry.at(0))) {
        return false;
    }
    for (int i = 1; i < entry.size(); ++i) {
        const QChar c = entry.at(i);
        if (c == QLatin1Char(':')) {
            return i >= 2;
        }
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != QLatin1Char('+') &&
            c != QLatin1Char('.') && c != QLatin1Char('-')) {
            return false;
        }
    }
    return false;
}

// "FileN=value" in any case, with spaces around "=": the digits of N and the value.
bool plsFileEntry(QStringView line, QStringView& number, QStringView& value)
{
    static const QLatin1String key("file");
    if (!line.startsWith(key, Qt::CaseInsensitive)) {
        return false;
    }
    int i = key.size();
    while (i < line.size() && isAsciiDigit(line.at(i))) {
        ++i;
    }
    number = line.mid(key.size(), i - key.size());
    while (i < line.size() && line.at(i).isSpace()) {
        ++i;
    }
    if (number.isEmpty() || i == line.size() || line.at(i) != QLatin1Char('=')) {
        return false;
    }
    value = line.mid(i + 1).trimmed();
    // Some writers quote the value: File1="http://host:80/".
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
        value.endsWith(QLatin1Char('"'))) {
        value = value.mid(1, value.size() - 2).trimmed();
    }
    return true;
}

// A line that a PLS file may hold: a key it knows, a section or a comment.
bool isPlsLine(QStringView line)
{
    if (line.startsWith(QLatin1Char('[')) || line.startsWith(QLatin1Char(';')) ||
        line.startsWith(QLatin1Char('#'))) {
        return true;
    }
    const int equals = line.indexOf(QLatin1Char('='));
    const QStringView key = line.left(equals).trimmed();
    if (equals < 0) {
        return false;
    }
    for (const QLatin1String numbered :
         {QLatin1String("file"), QLatin1String("title"), QLatin1String("length")}) {
        if (key.startsWith(numbered, Qt::CaseInsensitive)) {
            return allAsciiDigits(key.mid(numbered.size()));
        }
    }
    return key.compare(QLatin1String("NumberOfEntries"), Qt::CaseInsensitive) == 0 ||
           key.compare(QLatin1String("Version"), Qt::CaseInsensitive) == 0;
}

// Walks the lines of a text that hold anything, trimmed, without copying them.
class FilledLines
{
public:
    explicit FilledLines(const QString& text) : m_text(text) {}
    bool next(QStringView& line)
    {
        while (m_start <= m_text.size()) {
            int end = m_start;
            while (end < m_text.size() && m_text.at(end) != QLatin1Char('\n') &&
                   m_text.at(end) != QLatin1Char('\r')) {
                ++end;
            }
            line = QStringView(m_text).mid(m_start, end - m_start).trimmed();
            m_start = end + 1;
            if (!line.isEmpty()) {
                return true;
            }
        }
        return false;
    }

private:
    const QString& m_text;
    int m_start = 0;
};

// An entry as a URL: absolute, or empty when it names nothing here. baseFolder is the
// folder of a local base.
QUrl resolve(const QString& entry, const QUrl& base, const QString& baseFolder)
{
    // "C:\Music\a.mp3": a Windows drive, not a URL scheme, and nothing here.
    if (entry.size() >= 2 && entry.at(1) == QLatin1Char(':') && isAsciiLetter(entry.at(0))) {
        return QUrl();
    }
    if (hasScheme(entry)) {
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
        QString file = QDir::cleanPath(baseFolder + QLatin1Char('/') + path);
        // Some players write relative paths percent-encoded: the decoded name, unless a file
        // of the literal name exists.
        if (path.contains(QLatin1Char('%')) && !QFileInfo::exists(file)) {
            const QString decoded = QUrl::fromPercentEncoding(path.toUtf8());
            if (decoded != path) {
                file = QDir::cleanPath(baseFolder + QLatin1Char('/') + decoded);
            }
        }
        return QUrl::fromLocalFile(file);
    }
    return base.resolved(QUrl(entry));
}

// Whether a local file can be written as a path that reads back unchanged from an M3U line
// (lines are split at line breaks and trimmed; a path has no host, query or fragment).
bool survivesAsPath(const QUrl& url)
{
    if (!url.isLocalFile() || url.hasQuery() || url.hasFragment()) {
        return false;
    }
    const QString path = url.toLocalFile();
    if (!path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1String("//")) ||
        path != path.trimmed()) {
        return false;
    }
    return std::none_of(path.cbegin(), path.cend(),
                        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

// "TitleN=value" in any case: the digits of N without leading zeros, and the value.
bool plsTitle(QStringView line, QString& number, QString& value)
{
    static const QLatin1String key("title");
    if (!line.startsWith(key, Qt::CaseInsensitive)) {
        return false;
    }
    const int equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return false;
    }
    const QStringView digits = line.mid(key.size(), equals - key.size()).trimmed();
    if (digits.isEmpty() ||
        !std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return isAsciiDigit(c); })) {
        return false;
    }
    number = digits.toString();
    while (number.size() > 1 && number.startsWith(QLatin1Char('0'))) {
        number.remove(0, 1);
    }
    value = line.mid(equals + 1).trimmed().toString();
    return true;
}

// An entry: in a PLS file its number without leading zeros (numbers of any length compare by
// length, then digits); its place in the file and its text.
struct Numbered
{
    QStringView number;
    int place;
    QStringView text;
    QString title;
};

bool numberedBefore(const Numbered& a, const Numbered& b)
{
    if (a.number.size() != b.number.size()) {
        return a.number.size() < b.number.size();
    }
    const int order = a.number.compare(b.number);
    return order != 0 ? order < 0 : a.place < b.place;
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
    // Sizes are passed on: Qt 5 would stop at a NUL byte otherwise.
    QString text;
    if (data.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(data.constData() + 3, data.size() - 3);
    } else if (data.startsWith(QByteArray("\xFF\xFE\0\0", 4)) ||
               data.startsWith(QByteArray("\0\0\xFE\xFF", 4))) {
        text = fromUtfUnits(data.mid(4), 4, data.at(0) == 0);
    } else if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        text = fromUtfUnits(data.mid(2), 2, data.at(0) == '\xFE');
    } else {
        text = QString::fromUtf8(data.constData(), data.size());
        // Invalid UTF-8 comes back changed (replacement characters): Latin-1 then.
        if (text.toUtf8() != data) {
            return QString::fromLatin1(data.constData(), data.size());
        }
    }
    // Unpaired surrogates and noncharacters name nothing and would not survive a URL.
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (QChar::isNonCharacter(QChar::surrogateToUcs4(c, text.at(i + 1)))) {
                text[i] = text[i + 1] = QChar::ReplacementCharacter;
            }
            ++i;
        } else if (c.isSurrogate() || c.isNonCharacter()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
    return text;
}

QList<QUrl> MafwPlaylistParser::parse(const QByteArray& data, const QUrl& base,
                                      const QString& mimeType, Report* report)
{
    Report local;
    Report& found = report ? *report : local;
    found = Report();
    const QString text = decode(data);
    QStringView line;
    if (!FilledLines(text).next(line)) {
        return {};
    }
    if (line.startsWith(QLatin1Char('<')) || text.contains(QChar(0))) {
        found.notAPlaylist = true;
        return {};
    }
    QStringView number;
    QStringView value;
    QString titleNumber;
    Format format = Unknown;
    bool hls = false;
    // The first header decides, also after junk lines (a server's banner, a stray comment).
    for (FilledLines lines(text); format == Unknown && lines.next(line);) {
        if (line.startsWith(QLatin1String("[playlist]"), Qt::CaseInsensitive)) {
            format = Pls;
        } else if (line.startsWith(QLatin1String("#EXTM3U"))) {
            format = M3u;
        }
    }
    if (format == M3u) {
        for (FilledLines lines(text); !hls && lines.next(line);) {
            hls = line.startsWith(QLatin1String("#EXT-X-"));
        }
    }
    if (format == Unknown) {
        bool hasFile = false;
        bool onlyPls = true;
        for (FilledLines lines(text); lines.next(line);) {
            hasFile = hasFile || plsFileEntry(line, number, value);
            onlyPls = onlyPls && isPlsLine(line);
        }
        if (!hasFile) {
            format = M3u;
        } else if (onlyPls) {
            format = Pls;
        } else {
            format = formatOf(mimeType) == Pls ? Pls : M3u;
        }
    }
    found.format = format;
    // An HLS playlist (media or master) is one stream that GStreamer plays whole: its segments
    // are no items, and byte ranges and keys would be lost.
    if (hls) {
        found.hls = true;
        if (base.isEmpty() || base.isRelative()) {
            ++found.unusable;
            return {};
        }
        return {base};
    }

    // The first MaxEntries entries, in order.
    std::vector<Numbered> taken;
    int seen = 0;
    QString title;
    QHash<QString, QString> plsTitles; // by number, bounded by the file's size
    for (FilledLines lines(text); lines.next(line);) {
        if (format == M3u) {
            if (line.startsWith(QLatin1String("#EXTINF:"))) {
                const int comma = line.indexOf(QLatin1Char(','));
                title = comma < 0 ? QString() : line.mid(comma + 1).trimmed().toString();
            } else if (!line.startsWith(QLatin1Char('#')) && ++seen <= MaxEntries) {
                taken.push_back({QStringView(), seen, line, title});
                title.clear();
            }
        } else if (plsTitle(line, titleNumber, title)) {
            plsTitles.insert(titleNumber, title);
        } else if (plsFileEntry(line, number, value) && !value.isEmpty()) {
            int zeros = 0;
            while (zeros + 1 < number.size() && number.at(zeros) == QLatin1Char('0')) {
                ++zeros;
            }
            // Kept as a heap of the lowest numbers, its top the highest of them.
            taken.push_back({number.mid(zeros), ++seen, value, QString()});
            std::push_heap(taken.begin(), taken.end(), numberedBefore);
            if (taken.size() > size_t(MaxEntries)) {
                std::pop_heap(taken.begin(), taken.end(), numberedBefore);
                taken.pop_back();
            }
        }
    }
    if (format == Pls) {
        std::sort_heap(taken.begin(), taken.end(), numberedBefore);
    }
    found.beyondLimit = seen - int(taken.size());

    const QString baseFolder =
        base.isLocalFile() ? QFileInfo(base.toLocalFile()).path() : QString();
    QList<QUrl> entries;
    for (const Numbered& entry : taken) {
        const QUrl url = resolve(entry.text.toString(), base, baseFolder);
        // A scheme alone ("file:") names nothing.
        if (url.isValid() && !url.isRelative() && !(url.path().isEmpty() && url.host().isEmpty())) {
            entries << url;
            found.titles << (format == Pls ? plsTitles.value(entry.number.toString())
                                           : entry.title);
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
        out +=
            (survivesAsPath(url) ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)).toUtf8();
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
