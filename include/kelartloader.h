#ifndef KELARTLOADER_H
#define KELARTLOADER_H

#include "kelmoraglobal.h"

#include <QHash>
#include <QList>
#include <QModelIndex>
#include <QMultiMap>
#include <QObject>
#include <QString>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;

// Downloads album art over HTTP(S) into the art directory and tells, per model index, where
// each image lies. Every index that asks is answered exactly once, by downloadOfArtReady or
// errorOccurred, always later and never from inside getArtOfMusicItem; a URL asked for by
// several indexes is downloaded once.
//
// The art directory is $KELMORA_ART_DIR when set, else "/home/$USER/.qorrestapi/" (or
// "/home/user/.qorrestapi/"); it is created with its parents when the first image is
// written. The file of a URL is named after the text after its last "/". An existing file
// is answered as it is, never rewritten; when another URL already stored an image under the
// same name, the image is stored as "<hash of URL>-<name>" instead. Files appear complete or
// not at all. A URL whose name cannot be a plain file name, or that is not http or https,
// is answered with an error without a download.
//
// The proxy of the http_proxy variable ("http://[user:password@]host:port[/]") is installed
// for this loader and as the application's proxy.
//
// Delete a loader with deleteLater() from a slot connected to its signals, not directly.
class KELMORA_EXPORT KelArtLoader : public QObject
{
    Q_OBJECT
public:
    // Defaults of the limits below.
    static constexpr int DefaultTransferTimeout = 30000;          // milliseconds
    static constexpr qint64 DefaultMaximumSize = 8 * 1024 * 1024; // bytes

    explicit KelArtLoader(QObject* parent = nullptr);
    ~KelArtLoader() override;

    void getArtOfMusicItem(const QString& url, QModelIndex index);
    // Cancels every download in flight; its indexes are answered with errorOccurred.
    void clearQueue();

    // A download not finished after this many milliseconds (redirects included) fails.
    // Applies to downloads started afterwards; a value below 1 restores the default.
    void setTransferTimeout(int msecs);
    int transferTimeout() const;
    // A download whose body is (or is announced to be) larger than this fails.
    // Applies to downloads started afterwards; a value below 1 restores the default.
    void setMaximumSize(qint64 bytes);
    qint64 maximumSize() const;

Q_SIGNALS:
    void errorOccurred(QString errorDescription, QModelIndex index);
    void downloadOfArtReady(QString filePath, QModelIndex index);

private Q_SLOTS:
    bool saveFileToDisk(const QString& filename, QIODevice* data);
    bool setProxy(const QString& httpProxyUrl, int httpProxyPort);
    // Invoked without a reply it does nothing.
    void finished(QNetworkReply* reply = nullptr);

private:
    struct Download
    {
        QString key;     // the URL text as the caller gave it
        QString failure; // set when the loader itself ends the download
        qint64 maximumSize = 0;
    };

    void answerLater(const QString& error, const QModelIndex& index);
    void fail(QNetworkReply* reply, const QString& failure);
    QString store(const Download& download, QNetworkReply* reply, QString* failure);
    bool fileCameFrom(const QString& name, const QString& key) const;
    void recordSource(const QString& name, const QString& key);
    bool createArtDirectory(const QString& path);
    void readProxyFromEnvironment();

    QNetworkAccessManager* networkManager;           // child of the loader
    QList<QNetworkReply*> activeReplies;             // in start order; each released when finished
    QMultiMap<QString, QModelIndex> pendingRequests; // most recent index first per URL
    QString artDirectory;                            // ends in "/"
    QHash<QNetworkReply*, Download> m_downloads;
    QString m_proxyUser;
    QString m_proxyPassword;
    int m_transferTimeout = DefaultTransferTimeout;
    qint64 m_maximumSize = DefaultMaximumSize;
};

#endif
