#ifndef KELARTLOADER_H
#define KELARTLOADER_H

#include "kelmora_export.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QModelIndex>
#include <QMultiMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

/// Downloads album art over HTTP(S) into the art directory and tells, per model index, where
/// each image lies. Every index that asks is answered exactly once, by downloadOfArtReady or
/// errorOccurred, always later and never from inside getArtOfMusicItem; a URL asked for by
/// several indexes is downloaded once.
///
/// The art directory is $KELMORA_ART_DIR when set, else "/home/$USER/.qorrestapi/" (or
/// "/home/user/.qorrestapi/"); it is created with its parents when the first image is
/// written. The file of a URL is named after the text after its last "/"; when a file of that
/// name came from another URL (or from nobody knows where), the image is stored as
/// "<hash of URL>-<name>" instead. A file is served again only when the record of its source
/// names the URL and it is still a whole image; otherwise it is downloaded again. Files
/// are written beside their name and renamed into place (never through a symbolic link: a
/// link in the way is an error), so they appear complete or not at all. A body is kept only
/// when it is a whole image within MImageReader's bounds (MImageReader::isWholeImage(): a
/// body cut short or not an image is never kept). A URL whose name cannot be a
/// plain file name, or that is not http or https, is answered with an error without a
/// download.
///
/// At most MaxTransfers downloads run at once, the others wait their turn; the limits below
/// count from the moment a download starts.
///
/// The proxy of the http_proxy variable ("http://[user:password@]host:port[/]") is installed
/// for this loader and as the application's proxy.
///
/// The loader may be deleted at any time, also from a slot connected to its own signals.
class KELMORA_EXPORT KelArtLoader : public QObject
{
    Q_OBJECT
public:
    /// Default of transferTimeout().
    static constexpr int DefaultTransferTimeout = 30000; // milliseconds
    /// Default of inactivityTimeout().
    static constexpr int DefaultInactivityTimeout = 10000; // milliseconds
    /// Default of maximumSize().
    static constexpr qint64 DefaultMaximumSize = 8 * 1024 * 1024; // bytes
    /// Downloads in flight at once (the connections Qt opens per host).
    static constexpr int MaxTransfers = 6;

    /// Makes an idle loader; reads the art directory and the http_proxy variable.
    explicit KelArtLoader(QObject* parent = nullptr);
    /// Aborts the downloads in flight without answering their indexes.
    ~KelArtLoader() override;

    /// Asks for the image at @p url on behalf of @p index; answered later, exactly once, by
    /// downloadOfArtReady() or errorOccurred().
    void getArtOfMusicItem(const QString& url, QModelIndex index);
    /// Cancels every download in flight or waiting; its indexes are answered with errorOccurred.
    void clearQueue();

    /// A download not finished this many milliseconds after it started (redirects included)
    /// fails. Applies to downloads started afterwards; a value below 1 restores the default.
    void setTransferTimeout(int msecs);
    /// The transfer limit in milliseconds.
    int transferTimeout() const;
    /// A download that receives nothing for this many milliseconds fails. As above.
    void setInactivityTimeout(int msecs);
    /// The inactivity limit in milliseconds.
    int inactivityTimeout() const;
    /// A download whose body is (or is announced to be) larger than this fails; the body is
    /// asked for and counted as sent, never inflated.
    /// Applies to downloads started afterwards; a value below 1 restores the default.
    void setMaximumSize(qint64 bytes);
    /// The size limit in bytes.
    qint64 maximumSize() const;

Q_SIGNALS:
    /// The image asked for by @p index could not be had; @p errorDescription says why.
    void errorOccurred(QString errorDescription, QModelIndex index);
    /// The image asked for by @p index lies at @p filePath in the art directory.
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
        QByteArray body;
        QTimer* timer = nullptr; // owned by the loader; fires when a limit may be reached
        QElapsedTimer started;
        QElapsedTimer lastReceived;
        int timeout = 0;
        int idle = 0;
    };
    enum class Slot { Free, Ours, Taken, Link };

    void startWaiting();
    void start(const QString& key);
    void received(QNetworkReply* reply);
    void checkTime(QNetworkReply* reply);
    void fromReply(QNetworkReply* reply, void (KelArtLoader::*handler)(QNetworkReply*));
    void answer(const QString& key, const QString& path, const QString& failure);
    void answerLater(const QString& error, const QModelIndex& index);
    void fail(QNetworkReply* reply, const QString& failure);
    QString store(const Download& download, QString* failure);
    QString chooseName(const QString& key, Slot* slot) const;
    Slot slotOf(const QString& name, const QString& key) const;
    bool fileCameFrom(const QString& name, const QString& key) const;
    void recordSource(const QString& name, const QString& key);
    bool writeFile(bool record, const QString& name, const QByteArray& bytes);
    bool createArtDirectory(const QString& path);
    void readProxyFromEnvironment();

    QNetworkAccessManager* m_networkManager; // child of the loader
    QList<QNetworkReply*> m_activeReplies;   // in start order; each released when finished
    QMultiMap<QString, QModelIndex> m_pendingRequests; // most recent index first per URL
    QString m_artDirectory;                            // ends in "/"
    QHash<QNetworkReply*, Download> m_downloads;
    QStringList m_waiting; // URLs not started yet, first come first
    QString m_proxyUser;
    QString m_proxyPassword;
    int m_transferTimeout = DefaultTransferTimeout;
    int m_inactivityTimeout = DefaultInactivityTimeout;
    qint64 m_maximumSize = DefaultMaximumSize;
    int m_replyCallbacks = 0; // depth of signals from replies being handled
    // Where each file came from, read from the art directory's record once.
    mutable QHash<QString, QString> m_sources;
    mutable qint64 m_sourcesSize = -2; // of the record when read; changed, it is read again
};

#endif
