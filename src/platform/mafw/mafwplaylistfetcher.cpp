#include "mafwplaylistfetcher.h"

#include "mafwlogging_p.h"
#include "mafwplaylistparser.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the network layer may hold beyond what has been read.
constexpr qint64 ReadBufferSize = 64 * 1024;
constexpr double MillisecondsPerSecond = 1000;
constexpr qint64 BytesPerMiB = 1024 * 1024;

QString sizeLimit()
{
    return QStringLiteral("larger than the %1 MiB a playlist may have")
        .arg(MafwPlaylistFetcher::MaxSize / BytesPerMiB);
}

bool isWeb(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QString tooLarge(const QUrl& url)
{
    return QStringLiteral("%1 is %2").arg(url.toString(), sizeLimit());
}

// Warns of entries the policy refused; an error only when none is left to play.
MafwError warnRefused(int refused, int total, const QUrl& url, bool noneLeft, const QString& why)
{
    const QString message = QStringLiteral("%1 of %2 entries of %3 refused: %4")
                                .arg(refused)
                                .arg(total)
                                .arg(url.toString(), why);
    qCWarning(lcMafw).noquote() << message;
    return noneLeft ? MafwError(MafwError::NoPlayableEntry, message) : MafwError();
}

} // namespace

MafwPlaylistFetcher::MafwPlaylistFetcher(QObject* parent)
    : QObject(parent), m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this]() {
        failNow(QStringLiteral("%1 did not arrive within %2 s")
                    .arg(m_url.toString())
                    .arg(m_timeoutMs / MillisecondsPerSecond));
    });
}

MafwPlaylistFetcher::~MafwPlaylistFetcher()
{
    abort();
}

bool MafwPlaylistFetcher::readLocalFile(const QString& path, QByteArray& data, QString& reason)
{
    // Looked at before opening: opening a device may have effects of its own.
    const QFileInfo info(path);
    if (!info.exists()) {
        reason = QStringLiteral("no such file");
        return false;
    }
    if (!info.isFile()) {
        reason = QStringLiteral("not a regular file");
        return false;
    }
    // Opened without waiting and checked again, in case it was swapped for a pipe meanwhile.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = qt_error_string(errno);
        return false;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        reason = QStringLiteral("not a regular file");
        return false;
    }
    QFile file;
    if (status.st_size > MaxSize ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        reason = status.st_size > MaxSize ? sizeLimit() : file.errorString();
        return false;
    }
    // The size may grow while reading (or lie, as in /proc): never more than the cap.
    data = file.read(MaxSize + 1);
    if (data.size() > MaxSize) {
        data.clear();
        reason = sizeLimit();
        return false;
    }
    return true;
}

void MafwPlaylistFetcher::abort()
{
    ++m_serial;
    dropReply();
}

void MafwPlaylistFetcher::dropReply()
{
    m_deadline->stop();
    m_data.clear();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

void MafwPlaylistFetcher::finishLater(const QList<QUrl>& entries, const MafwError& error)
{
    const int serial = m_serial;
    QMetaObject::invokeMethod(
        this,
        [this, serial, entries, error]() {
            if (serial == m_serial) {
                finishNow(entries, error);
            }
        },
        Qt::QueuedConnection);
}

void MafwPlaylistFetcher::finishNow(const QList<QUrl>& entries, const MafwError& error)
{
    ++m_serial;
    m_error = error;
    Q_EMIT finished(entries, error.message());
}

void MafwPlaylistFetcher::failNow(const QString& message)
{
    dropReply();
    finishNow({}, MafwError(MafwError::PlaylistUnreadable, message));
}

int MafwPlaylistFetcher::refusedBefore(int entry) const
{
    return m_refusedBefore.value(entry);
}

void MafwPlaylistFetcher::interpret(const QByteArray& data, const QUrl& url,
                                    const QString& mimeType, QList<QUrl>& entries, MafwError& error)
{
    m_refusedBefore.clear();
    MafwPlaylistParser::Report report;
    const QList<QUrl> parsed = MafwPlaylistParser::parse(data, url, mimeType, &report);
    if (report.notAPlaylist) {
        error = MafwError(
            MafwError::PlaylistUnreadable,
            QStringLiteral("%1 is not a playlist (a web page or binary data)").arg(url.toString()));
        return;
    }
    if (report.beyondLimit > 0) {
        qCWarning(lcMafw).noquote() << QStringLiteral("only the first %1 entries of %2 are taken")
                                           .arg(MafwPlaylistParser::MaxEntries)
                                           .arg(url.toString());
    }
    int refused = 0;
    int run = 0;
    for (int i = 0; i < parsed.size(); ++i) {
        const QUrl& entry = parsed.at(i);
        if (MafwPlaylistParser::isAllowedEntry(url, entry)) {
            entries << entry;
            m_titles << report.titles.value(i);
            m_refusedBefore << std::exchange(run, 0);
        } else {
            ++refused;
            ++run;
        }
    }
    if (refused > 0) {
        error = warnRefused(refused, parsed.size(), url, entries.isEmpty(),
                            QStringLiteral("a playlist from a server may name only http and "
                                           "https entries, a local one also local files"));
        return;
    }
    if (entries.isEmpty()) {
        error = MafwError(MafwError::PlaylistUnreadable,
                          QStringLiteral("%1 holds no entry").arg(url.toString()));
    }
}

MafwPlaylistFetcher::Reach MafwPlaylistFetcher::reachOf(const QHostAddress& address)
{
    bool v4 = false;
    const quint32 ip = address.toIPv4Address(&v4);
    // (network, prefix length) of IPv4 ranges.
    const auto in = [&](quint32 network, int bits) {
        return v4 && (ip >> (32 - bits)) == (network >> (32 - bits));
    };
    if (address.isLoopback() || address == QHostAddress::AnyIPv6 || in(0x7F000000, 8) || in(0, 8)) {
        return Loopback;
    }
    // RFC 1918, link-local, carrier-grade NAT; IPv6 unique local and site-local.
    if (in(0x0A000000, 8) || in(0xAC100000, 12) || in(0xC0A80000, 16) || in(0xA9FE0000, 16) ||
        in(0x64400000, 10) || address.isLinkLocal() || address.isUniqueLocalUnicast() ||
        address.isSiteLocal()) {
        return PrivateNetwork;
    }
    return Public;
}

void MafwPlaylistFetcher::checkHosts(const QUrl& url, const QList<QUrl>& entries)
{
    // Names are resolved first: a public name may stand for a private address.
    m_pendingEntries = entries;
    m_pendingUrl = url;
    m_reach.clear();
    m_lookups = 0;
    QStringList hosts{url.host().toLower()};
    for (const QUrl& entry : entries) {
        hosts << entry.host().toLower();
    }
    hosts.removeDuplicates();
    const int serial = m_serial;
    for (const QString& host : qAsConst(hosts)) {
        const QHostAddress address(host);
        if (!address.isNull()) {
            m_reach.insert(host, reachOf(address));
        } else if (host == QLatin1String("localhost") ||
                   host.endsWith(QLatin1String(".localhost"))) {
            m_reach.insert(host, Loopback);
        } else if (m_lookups < MaxHostLookups) {
            ++m_lookups;
            QHostInfo::lookupHost(host, this, [this, serial, host](const QHostInfo& info) {
                if (serial != m_serial) {
                    return;
                }
                // The most private of its addresses; a name that does not resolve reaches
                // nothing.
                Reach reach = Public;
                const QList<QHostAddress> addresses = info.addresses();
                for (const QHostAddress& resolved : addresses) {
                    reach = qMin(reach, reachOf(resolved));
                }
                m_reach.insert(host, reach);
                if (--m_lookups == 0) {
                    finishHostCheck();
                }
            });
        }
    }
    if (m_lookups == 0) {
        finishHostCheck();
    } else {
        m_deadline->start(m_timeoutMs);
    }
}

void MafwPlaylistFetcher::finishHostCheck()
{
    m_deadline->stop();
    const Reach origin = m_reach.value(m_pendingUrl.host().toLower(), Public);
    QList<QUrl> entries;
    QList<int> refusedBefore;
    QStringList titles;
    int carried = 0;
    int refused = 0;
    for (int i = 0; i < m_pendingEntries.size(); ++i) {
        const QUrl& entry = m_pendingEntries.at(i);
        carried += m_refusedBefore.value(i);
        // Names beyond the lookup limit are not tried.
        const auto reach = m_reach.constFind(entry.host().toLower());
        if (reach == m_reach.constEnd() || *reach < origin) {
            ++refused;
            ++carried;
            continue;
        }
        entries << entry;
        titles << m_titles.value(i);
        refusedBefore << std::exchange(carried, 0);
    }
    m_refusedBefore = refusedBefore;
    m_titles = titles;
    MafwError error;
    if (refused > 0) {
        error = warnRefused(refused, m_pendingEntries.size(), m_pendingUrl, entries.isEmpty(),
                            QStringLiteral("they point at a network more private than the "
                                           "playlist's own (this machine or a private network)"));
    }
    m_pendingEntries.clear();
    finishNow(entries, error);
}

void MafwPlaylistFetcher::fetch(const QUrl& url, const QString& mimeType)
{
    abort();
    m_titles.clear();
    m_url = url;
    m_mimeType = mimeType;
    QList<QUrl> entries;
    MafwError error;
    if (url.isLocalFile()) {
        QByteArray data;
        QString reason;
        if (readLocalFile(url.toLocalFile(), data, reason)) {
            interpret(data, url, mimeType, entries, error);
        } else {
            error = MafwError(MafwError::PlaylistUnreadable,
                              QStringLiteral("cannot read %1: %2").arg(url.toString(), reason));
        }
        finishLater(entries, error);
        return;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        finishLater(
            {}, MafwError(MafwError::PlaylistUnreadable,
                          QStringLiteral("cannot fetch a playlist from %1").arg(url.toString())));
        return;
    }
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    // Bytes as they come: a compressed body could unpack beyond any cap.
    request.setRawHeader("Accept-Encoding", "identity");
    m_reply = m_network->get(request);
    m_reply->setReadBufferSize(ReadBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &MafwPlaylistFetcher::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, [this]() {
        if (!takeData()) {
            failNow(tooLarge(m_url));
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &MafwPlaylistFetcher::onReplyFinished);
    m_deadline->start(m_timeoutMs);
}

bool MafwPlaylistFetcher::takeData()
{
    m_data += m_reply->read(MaxSize + 1 - m_data.size());
    return m_data.size() <= MaxSize;
}

void MafwPlaylistFetcher::onMetaData()
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > MaxSize) {
        failNow(tooLarge(m_url));
    }
}

void MafwPlaylistFetcher::onReplyFinished()
{
    if (!takeData()) {
        failNow(tooLarge(m_url));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        failNow(
            QStringLiteral("cannot fetch %1: %2").arg(m_url.toString(), m_reply->errorString()));
        return;
    }
    QString mime = m_mimeType;
    if (MafwPlaylistParser::formatOf(mime) == MafwPlaylistParser::Unknown) {
        mime = m_reply->header(QNetworkRequest::ContentTypeHeader)
                   .toString()
                   .section(QLatin1Char(';'), 0, 0);
    }
    const QByteArray data = m_data;
    const QUrl url = m_reply->url();
    dropReply();
    QList<QUrl> entries;
    MafwError error;
    interpret(data, url, mime, entries, error);
    if (entries.isEmpty() || !isWeb(url)) {
        finishNow(entries, error);
        return;
    }
    checkHosts(url, entries);
}
