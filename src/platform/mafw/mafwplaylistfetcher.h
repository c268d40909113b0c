#ifndef MAFWPLAYLISTFETCHER_H
#define MAFWPLAYLISTFETCHER_H

#include "mafw_export.h"
#include "mafwerror.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

class QHostAddress;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

/// Reads a playlist file from a local path or over HTTP without blocking, parses it and keeps
/// the entries its origin may name (MafwPlaylistParser::isAllowedEntry, and no host more private
/// than the playlist's own: see Reach). Every fetch is
/// bounded: at most MaxSize bytes are read, a local file must be a regular file, and a fetch
/// over HTTP ends within timeout().
///
/// Lives on the main thread, where finished() is emitted; host names are resolved by Qt's
/// lookup threads, their answers coming back to the main thread.
class MAFW_EXPORT MafwPlaylistFetcher : public QObject
{
    Q_OBJECT
public:
    /// Most bytes read of one playlist file.
    static constexpr qint64 MaxSize = 1024 * 1024;
    /// timeout() until setTimeout() changes it.
    static constexpr int DefaultTimeoutMs = 15000;
    /// Most HTTP redirects followed for one fetch.
    static constexpr int MaxRedirects = 5;
    /// Host names of one playlist that are resolved; entries of other names are refused.
    static constexpr int MaxHostLookups = 16;

    /// How private an address is. An entry of a playlist from a server is refused when its
    /// host (its names resolved first, the most private address counting) is more private
    /// than the playlist's own host: public -> private network or loopback is refused,
    /// private -> private is allowed. Entries of local playlist files may name any host.
    enum Reach { Loopback, PrivateNetwork, Public };
    /// The reach of \a address: loopback (and unspecified), private ranges (RFC 1918,
    /// link-local, carrier-grade NAT, IPv6 unique and site local), or public.
    static Reach reachOf(const QHostAddress& address);

    /// An idle fetcher; \a parent owns it.
    explicit MafwPlaylistFetcher(QObject* parent = nullptr);
    /// Drops a fetch under way without reporting it.
    ~MafwPlaylistFetcher() override;

    /// Fetches the playlist at \a url; \a mimeType helps to tell its format (see
    /// MafwPlaylistParser::parse()). Replaces a fetch under way; finished() follows exactly
    /// once, later, never from inside the call.
    void fetch(const QUrl& url, const QString& mimeType);
    /// Drops a fetch under way: no finished() comes for it.
    void abort();

    /// The longest a fetch over HTTP may take, from the request to the last byte, in ms.
    int timeout() const { return m_timeoutMs; }
    /// Sets timeout() for the fetches that follow.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    /// Why the last finished() came without entries: PlaylistUnreadable (not read, too large,
    /// too slow, not a playlist, no entry) or NoPlayableEntry (the origin policy refused every
    /// entry); NoError after entries.
    MafwError error() const { return m_error; }
    /// One per entry of the last finished(): the name the file gives it, else empty.
    QStringList titles() const { return m_titles; }

    /// How many entries the origin policy refused right before entry (an index into the
    /// entries of the last finished()): they count as dead entries.
    int refusedBefore(int entry) const;

    /// Reads a whole regular file of at most MaxSize bytes into \a data; never waits on a named
    /// pipe or a device. False with a readable \a reason otherwise.
    static bool readLocalFile(const QString& path, QByteArray& data, QString& reason);

Q_SIGNALS:
    /// The entries in order (at most MafwPlaylistParser::MaxEntries), or none and a readable
    /// error (also in error()). Emitted once per fetch(), from the event loop.
    void finished(const QList<QUrl>& entries, const QString& error);

private:
    void finishLater(const QList<QUrl>& entries, const MafwError& error);
    void finishNow(const QList<QUrl>& entries, const MafwError& error);
    void failNow(const QString& message);
    void dropReply();
    void interpret(const QByteArray& data, const QUrl& url, const QString& mimeType,
                   QList<QUrl>& entries, MafwError& error);
    bool takeData();
    void onMetaData();
    void checkHosts(const QUrl& url, const QList<QUrl>& entries);
    void finishHostCheck();
    void onReplyFinished();

    QNetworkAccessManager* m_network = nullptr;
    QTimer* m_deadline = nullptr;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_data;
    QUrl m_url;
    QString m_mimeType;
    MafwError m_error;
    QStringList m_titles;
    QList<int> m_refusedBefore; // per entry of the last fetch
    // Host checks of a fetched playlist under way.
    QList<QUrl> m_pendingEntries;
    QUrl m_pendingUrl;
    QHash<QString, Reach> m_reach; // by host name
    int m_lookups = 0;             // names still being resolved
    int m_timeoutMs = DefaultTimeoutMs;
    int m_serial = 0;
};

#endif
