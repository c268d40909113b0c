#include "playerarguments.h"

#include <mafwplaylistparser.h>

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>

namespace {

const QString M3uMime = QStringLiteral("audio/x-mpegurl");

QString problem(const QString& argument, const QString& why)
{
    return QStringLiteral("cannot play \"%1\": %2").arg(argument, why);
}

// "#EXTINF:123,Artist - Title": the length and the names an M3U file gives for its next entry.
// A comma inside a quoted attribute is not expected.
void readExtInf(const QString& line, const QUrl& base, PlayerItem* item)
{
    const int comma = line.indexOf(QLatin1Char(','));
    if (comma < 0) {
        return;
    }
    bool ok = false;
    const int seconds = line.mid(8, comma - 8).trimmed().section(QLatin1Char(' '), 0, 0).toInt(&ok);
    item->duration = ok && seconds > 0 ? seconds : PlayerItem::UnknownDuration;
    // Radio and TV lists name a picture as an attribute: #EXTINF:-1 tvg-logo="URL",Name
    static const QRegularExpression logo(QStringLiteral("tvg-logo=\"([^\"]*)\""));
    const QRegularExpressionMatch match = logo.match(line.left(comma));
    if (match.hasMatch()) {
        item->imageUrl = base.resolved(QUrl(match.captured(1), QUrl::StrictMode));
    }
    PlayerArguments::setNames(line.mid(comma + 1).trimmed(), item);
}

// A picture would "play" as a still video of no length: told by its content.
bool isPicture(const QFileInfo& info, QString* type)
{
    static const QMimeDatabase database;
    *type = database.mimeTypeForFile(info, QMimeDatabase::MatchContent).name();
    return type->startsWith(QLatin1String("image/"));
}

} // namespace

void PlayerArguments::setNames(const QString& names, PlayerItem* item)
{
    const int dash = names.indexOf(QLatin1String(" - "));
    if (dash < 0) {
        item->title = names;
    } else {
        item->artist = names.left(dash).trimmed();
        item->title = names.mid(dash + 3).trimmed();
    }
}

QString PlayerArguments::usage()
{
    return QStringLiteral(
               "usage: kelmora-player [OPTION]... [FILE | URL | PLAYLIST-FILE]...\n"
               "Plays files, HTTP streams and PLS/M3U playlist files in order; with no argument, a "
               "built-in sample.\n"
               "  --window               show a window with the playing item and the playlist\n"
               "  --stay                 with --window: keep the window after the end of the list\n"
               "  --screenshot FILE      with --window: save the window as a PNG file and quit\n"
               "  --screenshot-delay MS  how long to play before the screenshot (default %1)\n"
               "  -h, --help             show this help\n"
               "Keys: space pause/resume, n/p next/previous, left/right seek 10 s, +/- volume, s "
               "shuffle, l loop, q quit.\n"
               "Exit status: 0 when every item played (or q or Quit came first), 1 when an item "
               "was skipped or failed, 2 for a usage error, 130 on SIGINT, 143 on SIGTERM.")
        .arg(DefaultScreenshotDelayMs);
}

QString PlayerArguments::playlistMimeType(const QUrl& url)
{
    const QString suffix = QFileInfo(url.path()).suffix().toLower();
    if (suffix == QLatin1String("pls")) {
        return QStringLiteral("audio/x-scpls");
    }
    if (suffix == QLatin1String("m3u")) {
        return M3uMime;
    }
    if (suffix == QLatin1String("m3u8")) {
        return QStringLiteral("application/vnd.apple.mpegurl");
    }
    return QString();
}

QList<PlayerItem> PlayerArguments::readPlaylistFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    if (file.size() > MaxPlaylistBytes) {
        *error = QStringLiteral("playlist file larger than %1 bytes").arg(MaxPlaylistBytes);
        return {};
    }
    const QByteArray data = file.read(MaxPlaylistBytes);
    const QUrl base = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    const QString mime = playlistMimeType(base);
    QList<PlayerItem> items;
    if (MafwPlaylistParser::formatOf(mime) != MafwPlaylistParser::M3u) {
        MafwPlaylistParser::Report report;
        const QList<QUrl> entries = MafwPlaylistParser::parse(data, base, mime, &report);
        for (int i = 0; i < entries.size(); ++i) {
            PlayerItem item;
            item.url = entries.at(i);
            setNames(report.titles.value(i), &item);
            items.append(item);
        }
    } else {
        // Line by line, so that each entry keeps the names its #EXTINF line gave.
        PlayerItem next;
        const QStringList lines = QString::fromUtf8(data).split(
            QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
        for (const QString& raw : lines) {
            const QString line = raw.trimmed();
            if (line.startsWith(QLatin1String("#EXTINF:"))) {
                readExtInf(line, base, &next);
            } else if (line.startsWith(QLatin1String("#EXTIMG:"))) {
                next.imageUrl = base.resolved(QUrl(line.mid(8).trimmed(), QUrl::StrictMode));
            } else if (!line.isEmpty() && !line.startsWith(QLatin1Char('#'))) {
                const QList<QUrl> one = MafwPlaylistParser::parse(line.toUtf8(), base, mime);
                if (one.size() == 1) {
                    next.url = one.first();
                    items.append(next);
                }
                next = PlayerItem();
            }
        }
    }
    if (items.isEmpty()) {
        *error = QStringLiteral("no entry in the playlist file");
    }
    return items;
}

void PlayerArguments::addArgument(const QString& argument, bool several)
{
    static const QRegularExpression urlPattern(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    QUrl url;
    if (urlPattern.match(argument).hasMatch()) {
        url = QUrl(argument, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (url.host().isEmpty() && scheme != QLatin1String("file"))) {
            m_problems << problem(argument, QStringLiteral("not a valid URL"));
            return;
        }
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
            scheme != QLatin1String("file")) {
            m_problems << problem(argument, QStringLiteral("unsupported URL scheme"));
            return;
        }
    }
    if (url.isEmpty() || url.isLocalFile()) {
        const QFileInfo info(url.isEmpty() ? argument : url.toLocalFile());
        if (!info.exists()) {
            m_problems << problem(argument, QStringLiteral("no such file"));
            return;
        }
        if (info.isDir()) {
            m_problems << problem(argument, QStringLiteral("is a directory"));
            return;
        }
        if (!info.isReadable()) {
            m_problems << problem(argument, QStringLiteral("not readable"));
            return;
        }
        QString type;
        if (playlistMimeType(QUrl::fromLocalFile(info.fileName())).isEmpty() &&
            isPicture(info, &type)) {
            m_problems << problem(argument,
                                  QStringLiteral("a picture, not audio or video (%1)").arg(type));
            return;
        }
        url = QUrl::fromLocalFile(info.absoluteFilePath());
    }
    const QString mime = playlistMimeType(url);
    if (mime.isEmpty() || (!several && !url.isLocalFile())) {
        if (!several) {
            m_mimeType = mime;
        }
        m_items.append({url, {}, {}, {}, {}, PlayerItem::UnknownDuration});
        return;
    }
    // A local playlist file joins the shared playlist with its entries, as if they were
    // given one by one.
    if (!url.isLocalFile()) {
        m_problems << problem(argument, QStringLiteral("a playlist URL plays only on its own"));
        return;
    }
    QString error;
    const QList<PlayerItem> entries = readPlaylistFile(url.toLocalFile(), &error);
    m_expanded = true;
    if (entries.isEmpty()) {
        m_problems << problem(argument, error);
    }
    m_items.append(entries);
}

PlayerArguments PlayerArguments::parse(const QStringList& args, const QString& defaultPlaylist)
{
    PlayerArguments result;
    QStringList positional;
    bool options = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!options || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
        } else if (arg == QLatin1String("--")) {
            options = false;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            result.m_help = true;
        } else if (arg == QLatin1String("--window")) {
            result.m_window = true;
        } else if (arg == QLatin1String("--stay")) {
            result.m_stay = true;
        } else if (arg == QLatin1String("--screenshot") && i + 1 < args.size()) {
            result.m_screenshotFile = args.at(++i);
        } else if (arg == QLatin1String("--screenshot-delay") && i + 1 < args.size()) {
            bool ok = false;
            result.m_screenshotDelayMs = args.at(++i).toInt(&ok);
            if (!ok || result.m_screenshotDelayMs < 0) {
                result.m_problems << QStringLiteral("--screenshot-delay needs milliseconds");
                result.m_usageError = true;
            }
        } else {
            result.m_problems << QStringLiteral("unknown option or missing value: %1").arg(arg);
            result.m_usageError = true;
        }
    }
    if (!result.m_screenshotFile.isEmpty() && !result.m_window) {
        result.m_problems << QStringLiteral("--screenshot needs --window");
        result.m_usageError = true;
    }
    if (result.m_usageError || result.m_help) {
        return result;
    }
    if (positional.isEmpty()) {
        QString error;
        result.m_items = readPlaylistFile(defaultPlaylist, &error);
        if (result.m_items.isEmpty()) {
            result.m_problems << QStringLiteral("the built-in sample %1 cannot be read: %2")
                                     .arg(defaultPlaylist, error);
        } else {
            result.m_mode = PlaySharedPlaylist;
        }
        return result;
    }
    const bool several = positional.size() > 1;
    for (const QString& arg : qAsConst(positional)) {
        result.addArgument(arg, several);
    }
    if (result.m_items.isEmpty()) {
        result.m_mode = NothingToPlay;
    } else if (several || result.m_expanded) {
        result.m_mode = PlaySharedPlaylist;
    } else {
        result.m_mode = result.m_mimeType.isEmpty() ? PlaySingleUri : PlayPlaylistFile;
    }
    return result;
}
