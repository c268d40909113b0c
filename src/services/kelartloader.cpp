#include "kelartloader.h"

#include <mimagereader.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
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
Q_LOGGING_CATEGORY(lcArt, "kelmora.art")

const int MaxRedirects = 5;
// Leaves room under the file system's 255 bytes for the temporary name of a file being
// written and for the hash prefix of a name taken by another URL.
const int MaxNameBytes = 200;
const int HashPrefixLength = 16;
// Records which URL each file was downloaded from, one small file per art file name.
const QLatin1String SourcesDirName(".kelmora-sources");

QString fileNameOf(const QString& url)
{
    return url.mid(url.lastIndexOf(QLatin1Char('/')) + 1);
}

// A name that stays inside a directory and is not the directory itself.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           name != SourcesDirName && !name.contains(QLatin1Char('/')) &&
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

// The record folder inside the art directory, never through a link; -1 when there is none.
int openSources(int artDir, bool create)
{
    const QByteArray name = QFile::encodeName(SourcesDirName);
    int fd = ::openat(artDir, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && create && ::mkdirat(artDir, name.constData(), 0700) == 0) {
        fd = ::openat(artDir, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    return fd;
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
    : QObject(parent), networkManager(new QNetworkAccessManager(this)),
      artDirectory(QStringLiteral("/home/user/.qorrestapi/"))
{
    readProxyFromEnvironment();
    const QString custom = qEnvironmentVariable("KELMORA_ART_DIR");
    const QString user = qEnvironmentVariable("USER");
    if (!custom.isEmpty()) {
        artDirectory = QDir::cleanPath(QDir(custom).absolutePath());
        if (!artDirectory.endsWith(QLatin1Char('/'))) {
            artDirectory += QLatin1Char('/');
        }
    } else if (isPlainName(user)) {
        artDirectory = QStringLiteral("/home/%1/.qorrestapi/").arg(user);
    }
}

KelArtLoader::~KelArtLoader()
{
    for (QNetworkReply* reply : qAsConst(activeReplies)) {
        reply->disconnect(this);
    }
    // Deleted from inside a reply's signal: the reply (a child of the manager) still runs
    // code after this returns, so the manager and its replies go later.
    if (m_replyCallbacks > 0) {
        networkManager->setParent(nullptr);
        networkManager->deleteLater();
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
    networkManager->setProxy(proxy);
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
    if (pendingRequests.contains(url)) {
        pendingRequests.insert(url, index);
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
    pendingRequests.insert(url, index);
    Slot slot = Slot::Free;
    const QString name = chooseName(url, &slot);
    if (slot == Slot::Free) {
        m_waiting.append(url);
        startWaiting();
        return;
    }
    // Served from the art directory (or refused) later, with whoever asked meanwhile.
    const QString path = slot == Slot::Ours ? artDirectory + name : QString();
    QTimer::singleShot(0, this, [this, url, path, name]() {
        answer(url, path,
               path.isEmpty() ? QStringLiteral("%1 is a symbolic link").arg(name) : QString());
    });
}

void KelArtLoader::startWaiting()
{
    while (activeReplies.size() < MaxTransfers && !m_waiting.isEmpty()) {
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
    QNetworkReply* reply = networkManager->get(request);
    activeReplies.append(reply);
    Download& download = m_downloads[reply];
    download.key = key;
    download.maximumSize = m_maximumSize;
    const auto timer = [this, reply](int msecs, const QString& failure) {
        auto* made = new QTimer(this);
        made->setSingleShot(true);
        connect(made, &QTimer::timeout, this, [this, reply, failure]() { fail(reply, failure); });
        made->start(msecs);
        return made;
    };
    download.deadline = timer(
        m_transferTimeout, QStringLiteral("Download timed out after %1 ms").arg(m_transferTimeout));
    download.idle = timer(
        m_inactivityTimeout,
        QStringLiteral("Download stalled: nothing received for %1 ms").arg(m_inactivityTimeout));
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
    it->idle->start();
    it->body += reply->readAll();
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (it->body.size() > it->maximumSize || announced > it->maximumSize) {
        fail(reply, tooLarge(it->maximumSize));
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
    const QList<QNetworkReply*> replies = activeReplies;
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
    delete download.deadline;
    delete download.idle;
    activeReplies.removeOne(reply);
    reply->disconnect(this);
    reply->deleteLater();

    QString failure = download.failure;
    if (failure.isEmpty() && reply->error() != QNetworkReply::NoError) {
        failure = reply->errorString();
    }
    const QString path = failure.isEmpty() ? store(download, &failure) : QString();
    startWaiting();
    answer(download.key, path, failure);
}

void KelArtLoader::answer(const QString& key, const QString& path, const QString& failure)
{
    // Forgotten before answering, so that an index asking again from a slot gets a new
    // download instead of waiting for this one.
    const QList<QModelIndex> indexes = pendingRequests.values(key);
    pendingRequests.remove(key);
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
    const QString path = artDirectory + name;
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
    return reader.read(path).isNull() ? Slot::Free : Slot::Ours;
}

QString KelArtLoader::store(const Download& download, QString* failure)
{
    const QString& key = download.key;
    MImageReader reader;
    reader.setMaxFileSize(download.maximumSize);
    if (reader.fromData(download.body).isNull()) {
        *failure = QStringLiteral("Downloaded data is not an image (%1)").arg(reader.errorString());
        return QString();
    }
    Slot slot = Slot::Free;
    const QString name = chooseName(key, &slot);
    const QString path = artDirectory + name;
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
    const Fd art(
        ::open(QFile::encodeName(artDirectory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Fd sources(art.fd < 0 ? -1 : openSources(art.fd, false));
    const Fd record(sources.fd < 0 ? -1
                                   : ::openat(sources.fd, QFile::encodeName(name).constData(),
                                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status;
    if (record.fd < 0 || ::fstat(record.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    const QByteArray expected = key.toUtf8();
    QByteArray seen(expected.size() + 1, '\0');
    const ssize_t n = ::read(record.fd, seen.data(), size_t(seen.size()));
    return n == expected.size() && seen.left(int(n)) == expected;
}

void KelArtLoader::recordSource(const QString& name, const QString& key)
{
    if (!writeFile(true, name, key.toUtf8())) {
        qCWarning(lcArt) << "Could not record where" << name << "came from";
    }
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
    if (bytes.isEmpty() || !createArtDirectory(artDirectory)) {
        return false;
    }
    const Fd art(
        ::open(QFile::encodeName(artDirectory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Fd dir(art.fd < 0 || !record ? -1 : openSources(art.fd, true));
    const int at = record ? dir.fd : art.fd;
    if (at < 0) {
        return false;
    }
    const QByteArray final = QFile::encodeName(name);
    if (record) {
        const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
        int fd = ::openat(at, final.constData(), flags, 0644);
        if (fd < 0 && errno == ELOOP && ::unlinkat(at, final.constData(), 0) == 0) {
            fd = ::openat(at, final.constData(), flags, 0644);
        }
        const Fd file(fd);
        return file.fd >= 0 && writeAll(file.fd, bytes);
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
    return data && filename.startsWith(artDirectory) &&
           writeFile(false, filename.mid(artDirectory.size()), data->readAll());
}
