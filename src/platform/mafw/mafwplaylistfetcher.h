#ifndef MAFWPLAYLISTFETCHER_H
#define MAFWPLAYLISTFETCHER_H

#include "mafwglobal.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Reads a playlist file from a local path or over HTTP without blocking, and parses it.
class MAFW_EXPORT MafwPlaylistFetcher : public QObject
{
    Q_OBJECT
public:
    explicit MafwPlaylistFetcher(QObject* parent = nullptr);
    ~MafwPlaylistFetcher() override;

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
