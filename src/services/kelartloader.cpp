#include "kelartloader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <cstdio>

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
} // namespace

KelArtLoader::KelArtLoader(QObject* parent)
    : QObject(parent), networkManager(new QNetworkAccessManager(this)),
      artDirectory(QStringLiteral("/home/user/.qorrestapi/"))
{
    connect(networkManager, &QNetworkAccessManager::finished, this, &KelArtLoader::finished);
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

KelArtLoader::~KelArtLoader() = default;

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
    QNetworkRequest request(parsed);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    QNetworkReply* reply = networkManager->get(request);
    activeReplies.append(reply);
    m_downloads.insert(reply, Download{url, QString(), m_maximumSize});
    const qint64 maximum = m_maximumSize;
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply, maximum](qint64 received, qint64 total) {
                if (received > maximum || total > maximum) {
                    fail(reply, tooLarge(maximum));
                }
            });
    const int timeout = m_transferTimeout;
    QTimer::singleShot(timeout, reply, [this, reply, timeout]() {
        fail(reply, QStringLiteral("Download timed out after %1 ms").arg(timeout));
    });
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
    // Closing a reply finishes it at once, which changes the list and may delete the loader.
    const QList<QNetworkReply*> replies = activeReplies;
    const QPointer<KelArtLoader> alive(this);
    for (QNetworkReply* reply : replies) {
        if (!alive) {
            return;
        }
        reply->close();
    }
}

void KelArtLoader::finished(QNetworkReply* reply)
{
    qCDebug(lcArt) << "KelArtLoader::finished()";
    const auto it = reply ? m_downloads.find(reply) : m_downloads.end();
    if (it == m_downloads.end()) {
        return;
    }
    const Download download = *it;
    m_downloads.erase(it);
    activeReplies.removeOne(reply);
    reply->deleteLater();
    // Forgotten before answering, so that an index asking again from a slot gets a new
    // download instead of waiting for this one.
    const QList<QModelIndex> indexes = pendingRequests.values(download.key);
    pendingRequests.remove(download.key);

    QString failure = download.failure;
    if (failure.isEmpty() && reply->error() != QNetworkReply::NoError) {
        failure = reply->errorString();
    }
    QString path;
    if (failure.isEmpty()) {
        path = store(download, reply, &failure);
    }
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

QString KelArtLoader::store(const Download& download, QNetworkReply* reply, QString* failure)
{
    const QString& key = download.key;
    const QString name = fileNameOf(key);
    QString path = artDirectory + name;
    bool namedAsUrl = true;
    if (QFileInfo(path).isFile()) {
        if (fileCameFrom(name, key)) {
            return path; // never rewritten
        }
        // Another album's art already has this name.
        namedAsUrl = false;
        path = artDirectory + derivedName(key, name);
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    qCDebug(lcArt) << "Image save path would be:" << path;
    const QByteArray body = reply->readAll();
    if (body.size() > download.maximumSize) {
        *failure = tooLarge(download.maximumSize);
        return QString();
    }
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    if (QImageReader::imageFormat(&buffer).isEmpty()) {
        *failure = QStringLiteral("Downloaded data is not an image");
        return QString();
    }
    buffer.seek(0);
    if (namedAsUrl) {
        recordSource(name, key);
    }
    if (!saveFileToDisk(path, &buffer)) {
        *failure = QStringLiteral("Error in saveFileToDisk function");
        return QString();
    }
    return path;
}

bool KelArtLoader::fileCameFrom(const QString& name, const QString& key) const
{
    QFile record(artDirectory + SourcesDirName + QLatin1Char('/') + name);
    if (!record.open(QIODevice::ReadOnly)) {
        return true; // no record: a file of unknown origin is used as it always was
    }
    const QByteArray expected = key.toUtf8();
    return record.read(expected.size() + 1) == expected;
}

void KelArtLoader::recordSource(const QString& name, const QString& key)
{
    // A plain write, not synced (a synced one doubles the cost of storing an image): a record
    // cut short names no URL asked for, which costs one more file under the derived name.
    const QString directory = artDirectory + SourcesDirName;
    QFile record(directory + QLatin1Char('/') + name);
    const QByteArray url = key.toUtf8();
    if (!createArtDirectory(directory) ||
        !record.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        record.write(url) != url.size()) {
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

bool KelArtLoader::saveFileToDisk(const QString& filename, QIODevice* data)
{
    qCDebug(lcArt) << "KelArtLoader::saveFileToDisk()";
    if (!data || !createArtDirectory(artDirectory)) {
        return false;
    }
    // Written beside its final name and renamed into place when complete. Unbuffered, so
    // that a short write (a full disk, a file size limit) shows in write()'s count: a
    // buffered one would be lost at commit and the cut file renamed into place.
    QSaveFile file(filename);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fprintf(stderr, "Could not open %s for writing: %s\n",
                QFile::encodeName(filename).constData(),
                file.errorString().toLocal8Bit().constData());
        return false;
    }
    const QByteArray bytes = data->readAll();
    if (bytes.isEmpty() || file.write(bytes) != bytes.size() || !file.commit()) {
        qCDebug(lcArt) << "FileName" << filename;
        return false;
    }
    return true;
}
