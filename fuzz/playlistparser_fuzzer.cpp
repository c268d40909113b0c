// The playlist parser on any bytes: no crash, no undefined behaviour, bounded output, and
// what writeM3u writes reads back to the same URLs.
#include <mafwplaylistparser.h>

#include <cstdint>
#include <cstdlib>

namespace {
// What a URL names: a local file by its path (QUrl keeps how its text was encoded), else the
// encoded URL.
QByteArray resource(const QUrl& url)
{
    if (url.isLocalFile() && !url.hasQuery() && !url.hasFragment()) {
        return url.toLocalFile().toUtf8();
    }
    return url.toEncoded();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    static const QString types[] = {QString(), QStringLiteral("audio/x-scpls"),
                                    QStringLiteral("audio/x-mpegurl"), QStringLiteral("text/html")};
    static const QUrl local = QUrl::fromLocalFile(QStringLiteral("/music/list.m3u"));
    static const QUrl bases[] = {QUrl(), local, QUrl(QStringLiteral("http://host/dir/list.pls"))};
    constexpr int baseCount = sizeof(bases) / sizeof(bases[0]);
    constexpr int typeCount = sizeof(types) / sizeof(types[0]);
    // The first byte picks the base and the declared type; the rest is the file.
    const QUrl& base = bases[data[0] % baseCount];
    const QString& type = types[(data[0] / baseCount) % typeCount];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), int(size - 1));

    MafwPlaylistParser::Report report;
    const QList<QUrl> entries = MafwPlaylistParser::parse(bytes, base, type, &report);
    if (entries.size() > MafwPlaylistParser::MaxEntries ||
        (report.notAPlaylist && !entries.isEmpty())) {
        abort();
    }
    for (const QUrl& entry : entries) {
        if (!entry.isValid() || entry.isRelative()) {
            abort();
        }
        MafwPlaylistParser::isAllowedEntry(base, entry);
    }
    // Read back to the same resources (QUrl's own comparison also tells apart spellings of one
    // URL, such as "%2A" and "*").
    const QList<QUrl> again =
        MafwPlaylistParser::parse(MafwPlaylistParser::writeM3u(entries), local);
    if (again.size() != entries.size()) {
        abort();
    }
    for (int i = 0; i < entries.size(); ++i) {
        if (resource(again.at(i)) != resource(entries.at(i))) {
            abort();
        }
    }
    return 0;
}
