#ifndef MAFWGSTPLAYLISTFETCHER_H
#define MAFWGSTPLAYLISTFETCHER_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Reads a playlist file from a local path or over HTTP without blocking, and parses it.
class MafwGstPlaylistFetcher : public QObject
{
    Q_OBJECT
public:
    explicit MafwGstPlaylistFetcher(QObject* parent = nullptr);
    ~MafwGstPlaylistFetcher() override;

    // Replaces a fetch under way; finished() follows once, later, never from inside the call.
    void fetch(const QUrl& url, const QString& mimeType);
    void abort();

    static constexpr qint64 MaxSize = 1024 * 1024;

Q_SIGNALS:
    // The entries in order, or none and a readable error.
    void finished(const QList<QUrl>& entries, const QString& error);

private:
    void finishLater(const QList<QUrl>& entries, const QString& error);
    void onReplyFinished();

    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QString m_mimeType;
    int m_serial = 0;
};

#endif
