#include "kelartloader.h"

#include "../kelmoralogging_p.h"

#include <mimagereader.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int MaxRedirects = 5;
// Leaves room under the file system's 255 bytes for the temporary name of a file being
// written and for the hash prefix of a name taken by another URL.
const int MaxNameBytes = 200;
const int HashPrefixLength = 16;
// Records which URL each file was downloaded from, one line "<name>\t<URL>\n" per file
// stored (the last line of a name counts), appended; rewritten without the stale lines when
// it grows beyond MaxSourcesSize. The folder of an older version is never used.
const QLatin1String SourcesDirName(".kelmora-sources");
const QLatin1String SourcesFileName(".kelmora-sources.list");
const qint64 MaxSourcesSize = 4 * 1024 * 1024;
// Sizes that no record has: of a missing one, and of one not known.
const qint64 MissingSize = -1;
const qint64 UnknownSize = -2;

QString fileNameOf(const QString& url)
{
    return url.mid(url.lastIndexOf(QLatin1Char('/')) + 1);
}

// A name that stays inside a directory and is not the directory itself.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           name != SourcesDirName && name != SourcesFileName && !name.contains(QLatin1Char('/')) &&
           !name.contains(QChar(QChar::Null)) && QFile::encodeName(name).size() <= MaxNameBytes;
}

QString tooLarge(qint64 maximum)
{
    return QStringLiteral("Image larger than %1 bytes").arg(maximum);
}

QString derivedName(const QString& url, const QString& name)
{
    const QByteArray hash = QCryptographicHash::hash(url.toUtf8(), QCryptographicHash::Sha1);
    return QString::fromLatin1(hash.toHex().left(HashPrefixLength)) + QLatin1Char('-') + name;
}

// Closes a descriptor when it goes out of scope.
struct Fd
{
    int fd = -1;
    explicit Fd(int descriptor) : fd(descriptor) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// A record line holds no separator of its own.
bool recordable(const QString& text)
{
    return !text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) &&
           !text.contains(QLatin1Char('\r'));
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}
} // namespace

KelArtLoader::KelArtLoader(QObject* parent)
    : QObject(parent), m_networkManager(new QNetworkAccessManager(this)),
      m_artDirectory(QStringLiteral("/home/user/.qorrestapi/"))
{
    readProxyFromEnvironment();
    const QString custom = qEnvironmentVariable("KELMORA_ART_DIR");
    const QString user = qEnvironmentVariable("USER");
    if (!custom.isEmpty()) {
        m_artDirectory = QDir::cleanPath(QDir(custom).absolutePath());
        if (!m_artDirectory.endsWith(QLatin1Char('/'))) {
            m_artDirectory += QLatin1Char('/');
        }
    } else if (isPlainName(user)) {
        m_artDirectory = QStringLiteral("/home/%1/.qorrestapi/").arg(user);
    }
}

KelArtLoader::~KelArtLoader()
{
    for (QNetworkReply* reply : qAsConst(m_activeReplies)) {
        reply->disconnect(this);
    }
    // Deleted from inside a reply's signal: the reply (a child of the manager) still runs
    // code after this returns, so the manager and its replies go later.
    if (m_replyCallbacks > 0) {
        m_networkManager->setParent(nullptr);
        m_networkManager->deleteLater();
    }
}

void KelArtLoader::readProxyFromEnvironment()
{
    if (!qEnvironmentVariableIsSet("http_proxy")) {
        return;
    }
    QString value = qEnvironmentVariable("http_proxy").trimmed();
    if (!value.isEmpty() && !value.contains(QLatin1String("://"))) {
        value.prepend(QLatin1String("http://"));
    }
    const QUrl url(value, QUrl::StrictMode);
    const bool usable = value.isEmpty() || url.isValid();
    QString host;
    int port = 0;
    // A proxy without a port is not used.
    if (usable && url.port() > 0) {
        host = url.host();
        port = url.port();
        m_proxyUser = url.userName();
        m_proxyPassword = url.password();
    }
    qCDebug(lcArt) << "PROXY SET" << host << port;
    if (!usable) {
        qCDebug(lcArt) << "Not valid url";
        qCDebug(lcArt) << "Setting proxy failed!";
    } else if (!setProxy(host, port)) {
        qCDebug(lcArt) << "Setting proxy failed!";
    }
}

bool KelArtLoader::setProxy(const QString& httpProxyUrl, int httpProxyPort)
{
    QNetworkProxy proxy;
    if (httpProxyUrl.isEmpty()) {
        proxy.setType(QNetworkProxy::NoProxy);
    } else if (QUrl(httpProxyUrl).isValid()) {
        proxy.setType(QNetworkProxy::HttpProxy);
    } else {
        qCDebug(lcArt) << "Not valid url";
        return false;
    }
    proxy.setHostName(httpProxyUrl);
    proxy.setPort(quint16(httpProxyPort));
    proxy.setUser(m_proxyUser);
    proxy.setPassword(m_proxyPassword);
    QNetworkProxy::setApplicationProxy(proxy);
    m_networkManager->setProxy(proxy);
    return true;
}

void KelArtLoader::setTransferTimeout(int msecs)
{
    m_transferTimeout = msecs > 0 ? msecs : DefaultTransferTimeout;
}

int KelArtLoader::transferTimeout() const
{
    return m_transferTimeout;
}

void KelArtLoader::setInactivityTimeout(int msecs)
{
    m_inactivityTimeout = msecs > 0 ? msecs : DefaultInactivityTimeout;
}

int KelArtLoader::inactivityTimeout() const
{
    return m_inactivityTimeout;
}

void KelArtLoader::setMaximumSize(qint64 bytes)
{
    m_maximumSize = bytes > 0 ? bytes : DefaultMaximumSize;
}

qint64 KelArtLoader::maximumSize() const
{
    return m_maximumSize;
}

void KelArtLoader::getArtOfMusicItem(const QString& url, QModelIndex index)
{
    qCDebug(lcArt) << "KelArtLoader::getArtOfMusicItem():" << url;
    if (m_pendingRequests.contains(url)) {
        m_pendingRequests.insert(url, index);
        return;
    }
    const QUrl parsed(url);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        answerLater(QStringLiteral("Not an http or https URL"), index);
        return;
    }
    if (!isPlainName(fileNameOf(url))) {
        answerLater(QStringLiteral("The URL names no usable art file name"), index);
        return;
    }
    m_pendingRequests.insert(url, index);
    Slot slot = Slot::Free;
    const QString name = chooseName(url, &slot);
    if (slot == Slot::Free) {
        m_waiting.append(url);
        startWaiting();
        return;
    }
    // Served from the art directory (or refused) later, with whoever asked meanwhile.
    const QString path = slot == Slot::Ours ? m_artDirectory + name : QString();
    QTimer::singleShot(0, this, [this, url, path, name]() {
        answer(url, path,
               path.isEmpty() ? QStringLiteral("%1 is a symbolic link").arg(name) : QString());
    });
}

void KelArtLoader::startWaiting()
{
    while (m_activeReplies.size() < MaxTransfers && !m_waiting.isEmpty()) {
        start(m_waiting.takeFirst());
    }
}

void KelArtLoader::start(const QString& key)
{
    QNetworkRequest request{QUrl(key)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    // The body as sent, counted as it arrives: nothing inflates behind the size limit.
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply* reply = m_networkManager->get(request);
    m_activeReplies.append(reply);
    Download& download = m_downloads[reply];
    download.key = key;
    download.maximumSize = m_maximumSize;
    download.timeout = m_transferTimeout;
    download.idle = m_inactivityTimeout;
    download.started.start();
    download.lastReceived.start();
    // One timer for both limits, set again for the nearer one; a byte costs no timer call.
    download.timer = new QTimer(this);
    download.timer->setSingleShot(true);
    connect(download.timer, &QTimer::timeout, this, [this, reply]() { checkTime(reply); });
    download.timer->start(qMin(m_transferTimeout, m_inactivityTimeout));
    connect(reply, &QNetworkReply::metaDataChanged, this,
            [this, reply]() { fromReply(reply, &KelArtLoader::received); });
    connect(reply, &QNetworkReply::readyRead, this,
            [this, reply]() { fromReply(reply, &KelArtLoader::received); });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply]() { fromReply(reply, &KelArtLoader::finished); });
}

void KelArtLoader::fromReply(QNetworkReply* reply, void (KelArtLoader::*handler)(QNetworkReply*))
{
    const QPointer<KelArtLoader> alive(this);
    ++m_replyCallbacks;
    (this->*handler)(reply);
    if (alive) {
        --m_replyCallbacks;
    }
}

void KelArtLoader::received(QNetworkReply* reply)
{
    const auto it = m_downloads.find(reply);
    if (it == m_downloads.end() || !it->failure.isEmpty() || !reply->isOpen()) {
        return;
    }
    it->lastReceived.start();
    it->body += reply->readAll();
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (it->body.size() > it->maximumSize || announced > it->maximumSize) {
        fail(reply, tooLarge(it->maximumSize));
    }
}

void KelArtLoader::checkTime(QNetworkReply* reply)
{
    const auto it = m_downloads.find(reply);
    if (it == m_downloads.end()) {
        return;
    }
    const qint64 running = it->started.elapsed();
    const qint64 quiet = it->lastReceived.elapsed();
    if (running >= it->timeout) {
        fail(reply, QStringLiteral("Download timed out after %1 ms").arg(it->timeout));
    } else if (quiet >= it->idle) {
        fail(reply, QStringLiteral("Download stalled: nothing received for %1 ms").arg(it->idle));
    } else {
        it->timer->start(int(qMin(it->timeout - running, it->idle - quiet)));
    }
}

void KelArtLoader::answerLater(const QString& error, const QModelIndex& index)
{
    QTimer::singleShot(0, this, [this, error, index]() { Q_EMIT errorOccurred(error, index); });
}

void KelArtLoader::fail(QNetworkReply* reply, const QString& failure)
{
    const auto it = m_downloads.find(reply);
    if (it == m_downloads.end() || !it->failure.isEmpty()) {
        return;
    }
    it->failure = failure;
    reply->abort(); // finishes the reply at once
}

void KelArtLoader::clearQueue()
{
    const QStringList waiting = m_waiting;
    m_waiting.clear();
    // Closing a reply finishes it at once, which changes the list and may delete the loader.
    const QList<QNetworkReply*> replies = m_activeReplies;
    const QPointer<KelArtLoader> alive(this);
    for (QNetworkReply* reply : replies) {
        if (!alive) {
            return;
        }
        reply->close();
    }
    for (const QString& key : waiting) {
        if (!alive) {
            return;
        }
        answer(key, QString(), QStringLiteral("Operation canceled"));
    }
}

void KelArtLoader::finished(QNetworkReply* reply)
{
    qCDebug(lcArt) << "KelArtLoader::finished()";
    const auto it = reply ? m_downloads.find(reply) : m_downloads.end();
    if (it == m_downloads.end()) {
        return;
    }
    if (it->failure.isEmpty()) {
        received(reply);
    }
    const Download download = *it;
    m_downloads.erase(m_downloads.find(reply));
    delete download.timer;
    m_activeReplies.removeOne(reply);
    reply->disconnect(this);
    reply->deleteLater();
    // The next transfer goes out before this body is checked and written.
    startWaiting();

    QString failure = download.failure;
    if (failure.isEmpty() && reply->error() != QNetworkReply::NoError) {
        failure = reply->errorString();
    }
    const QString path = failure.isEmpty() ? store(download, &failure) : QString();
    answer(download.key, path, failure);
}

void KelArtLoader::answer(const QString& key, const QString& path, const QString& failure)
{
    // Forgotten before answering, so that an index asking again from a slot gets a new
    // download instead of waiting for this one.
    const QList<QModelIndex> indexes = m_pendingRequests.values(key);
    m_pendingRequests.remove(key);
    const QPointer<KelArtLoader> alive(this);
    for (const QModelIndex& index : indexes) {
        if (failure.isEmpty()) {
            Q_EMIT downloadOfArtReady(path, index);
        } else {
            Q_EMIT errorOccurred(failure, index);
        }
        if (!alive) {
            return;
        }
    }
}

QString KelArtLoader::chooseName(const QString& key, Slot* slot) const
{
    QString name = fileNameOf(key);
    *slot = slotOf(name, key);
    if (*slot == Slot::Taken) {
        // Another album's art (or a file of unknown origin) has the name.
        name = derivedName(key, name);
        *slot = slotOf(name, key);
        if (*slot == Slot::Taken) {
            *slot = Slot::Free; // the derived name is this URL's alone: replaced
        }
    }
    return name;
}

KelArtLoader::Slot KelArtLoader::slotOf(const QString& name, const QString& key) const
{
    const QString path = m_artDirectory + name;
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return Slot::Free;
    }
    if (S_ISLNK(status.st_mode)) {
        return Slot::Link;
    }
    if (!S_ISREG(status.st_mode) || !fileCameFrom(name, key)) {
        return Slot::Taken;
    }
    // Ours, but served only when whole: a file cut short (a crash before the disk had it
    // all) is fetched again.
    MImageReader reader;
    reader.setMaxFileSize(m_maximumSize);
    return reader.checkFile(path) ? Slot::Ours : Slot::Free;
}

QString KelArtLoader::store(const Download& download, QString* failure)
{
    const QString& key = download.key;
    MImageReader reader;
    reader.setMaxFileSize(download.maximumSize);
    if (!reader.isWholeImage(download.body)) {
        *failure = QStringLiteral("Downloaded data is not an image (%1)").arg(reader.errorString());
        return QString();
    }
    Slot slot = Slot::Free;
    const QString name = chooseName(key, &slot);
    const QString path = m_artDirectory + name;
    qCDebug(lcArt) << "Image save path would be:" << path;
    if (slot == Slot::Link) {
        *failure = QStringLiteral("%1 is a symbolic link").arg(name);
        return QString();
    }
    if (slot == Slot::Ours) {
        return path; // whole already: never rewritten
    }
    recordSource(name, key);
    if (!writeFile(false, name, download.body)) {
        *failure = QStringLiteral("Error in saveFileToDisk function");
        return QString();
    }
    return path;
}

bool KelArtLoader::fileCameFrom(const QString& name, const QString& key) const
{
    // Read again whenever another loader (or program) changed it.
    struct stat status;
    const QString path = m_artDirectory + SourcesFileName;
    const bool there = ::lstat(QFile::encodeName(path).constData(), &status) == 0;
    const qint64 size = there ? qint64(status.st_size) : MissingSize;
    if (size != m_sourcesSize) {
        m_sourcesSize = size;
        m_sources.clear();
        QByteArray data;
        QString error;
        // Read without following a link or waiting on a pipe; a larger one is compacted.
        if (there && S_ISREG(status.st_mode) &&
            MImageReader::readFile(path, 2 * MaxSourcesSize, &data, &error)) {
            for (const QByteArray& line : data.split('\n')) {
                const int tab = line.indexOf('\t');
                if (tab > 0) {
                    m_sources.insert(QString::fromUtf8(line.left(tab)),
                                     QString::fromUtf8(line.mid(tab + 1)));
                }
            }
            // The last piece has no end of line: cut short, it names nothing.
            const QByteArray last = data.mid(data.lastIndexOf('\n') + 1);
            if (!last.isEmpty()) {
                m_sources.remove(QString::fromUtf8(last.left(last.indexOf('\t'))));
            }
        }
    }
    const auto it = m_sources.constFind(name);
    return it != m_sources.constEnd() && *it == key;
}

void KelArtLoader::recordSource(const QString& name, const QString& key)
{
    fileCameFrom(name, key); // read before the line is added
    m_sources.remove(name);
    if (!recordable(name) || !recordable(key) || !writeFile(true, name, key.toUtf8())) {
        qCWarning(lcArt) << "Could not record where" << name << "came from";
        m_sourcesSize = UnknownSize; // read again
        return;
    }
    m_sources.insert(name, key);
    struct stat status;
    const QByteArray path = QFile::encodeName(m_artDirectory + SourcesFileName);
    m_sourcesSize = ::lstat(path.constData(), &status) == 0 ? qint64(status.st_size) : UnknownSize;
}

bool KelArtLoader::createArtDirectory(const QString& path)
{
    if (QDir().mkpath(path)) {
        return true;
    }
    fprintf(stderr, "Could not create directory %s \n", QFile::encodeName(path).constData());
    return false;
}

// Art is written beside its name and renamed into place when complete; a record in place (a
// record cut short names no URL, which costs one more download). Never through a link (one
// in the records is removed). Not synced: the art directory is a cache, and a file that a
// crash left cut short fails the check when it is reused and is fetched again.
bool KelArtLoader::writeFile(bool record, const QString& name, const QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        return false;
    }
    const QByteArray directory = QFile::encodeName(m_artDirectory);
    const int directoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int directoryFd = ::open(directory.constData(), directoryFlags);
    if (directoryFd < 0 && errno == ENOENT && createArtDirectory(m_artDirectory)) {
        directoryFd = ::open(directory.constData(), directoryFlags);
    }
    const Fd art(directoryFd);
    if (art.fd < 0) {
        return false;
    }
    const int at = art.fd;
    const QByteArray final = QFile::encodeName(name);
    if (record) {
        const QByteArray list = QFile::encodeName(SourcesFileName);
        const int flags = O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
        int fd = ::openat(at, list.constData(), flags, 0644);
        if (fd < 0 && errno == ELOOP && ::unlinkat(at, list.constData(), 0) == 0) {
            fd = ::openat(at, list.constData(), flags, 0644);
        }
        const Fd file(fd);
        struct stat status;
        if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            return false;
        }
        // After a line cut short, on a line of its own.
        char last = '\n';
        const bool cut = status.st_size > 0 &&
                         ::pread(file.fd, &last, 1, status.st_size - 1) == 1 && last != '\n';
        if (!writeAll(file.fd,
                      (cut ? QByteArray("\n") : QByteArray()) + final + '\t' + bytes + '\n')) {
            return false;
        }
        if (status.st_size + final.size() + bytes.size() > MaxSourcesSize) {
            // Rewritten with the last line of each name only.
            QByteArray all;
            for (auto it = m_sources.constBegin(); it != m_sources.constEnd(); ++it) {
                if (it.key() != name) {
                    all += QFile::encodeName(it.key()) + '\t' + it.value().toUtf8() + '\n';
                }
            }
            return writeFile(false, SourcesFileName, all + final + '\t' + bytes + '\n');
        }
        return true;
    }
    static quint64 written = 0;
    const QByteArray temporary = '.' + final + '.' +
                                 QByteArray::number(QCoreApplication::applicationPid()) + '-' +
                                 QByteArray::number(++written) + ".part";
    const Fd file(::openat(at, temporary.constData(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (file.fd < 0) {
        fprintf(stderr, "Could not open %s for writing: %s\n", final.constData(),
                qPrintable(qt_error_string(errno)));
        return false;
    }
    if (!writeAll(file.fd, bytes) ||
        ::renameat(at, temporary.constData(), at, final.constData()) != 0) {
        ::unlinkat(at, temporary.constData(), 0);
        qCDebug(lcArt) << "FileName" << name;
        return false;
    }
    return true;
}

bool KelArtLoader::saveFileToDisk(const QString& filename, QIODevice* data)
{
    qCDebug(lcArt) << "KelArtLoader::saveFileToDisk()";
    return data && filename.startsWith(m_artDirectory) &&
           writeFile(false, filename.mid(m_artDirectory.size()), data->readAll());
}
