#include "mafwplaylistfetcher.h"

#include <mafwplaylistparser.h>

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

MafwPlaylistFetcher::MafwPlaylistFetcher(QObject* parent) : QObject(parent) {}

MafwPlaylistFetcher::~MafwPlaylistFetcher()
{
    abort();
}

void MafwPlaylistFetcher::abort()
{
    ++m_serial;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

void MafwPlaylistFetcher::finishLater(const QList<QUrl>& entries, const QString& error)
{
    const int serial = m_serial;
    QMetaObject::invokeMethod(
        this,
        [this, serial, entries, error]() {
            if (serial == m_serial) {
                Q_EMIT finished(entries, error);
            }
        },
        Qt::QueuedConnection);
}

void MafwPlaylistFetcher::fetch(const QUrl& url, const QString& mimeType)
{
    abort();
    m_mimeType = mimeType;
    if (url.isLocalFile()) {
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) {
            finishLater(
                {}, QStringLiteral("cannot read %1: %2").arg(url.toString(), file.errorString()));
            return;
        }
        if (file.size() > MaxSize) {
            finishLater({}, QStringLiteral("%1 is too large for a playlist").arg(url.toString()));
            return;
        }
        finishLater(MafwPlaylistParser::parse(file.readAll(), url, mimeType), QString());
        return;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        finishLater({}, QStringLiteral("cannot fetch a playlist from %1").arg(url.toString()));
        return;
    }
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(15000);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > MaxSize && m_reply) {
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &MafwPlaylistFetcher::onReplyFinished);
}

void MafwPlaylistFetcher::onReplyFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (!reply) {
        return;
    }
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        Q_EMIT finished({}, QStringLiteral("cannot fetch %1: %2")
                                .arg(reply->request().url().toString(), reply->errorString()));
        return;
    }
    QString mime = m_mimeType;
    if (MafwPlaylistParser::formatOf(mime) == MafwPlaylistParser::Unknown) {
        mime = reply->header(QNetworkRequest::ContentTypeHeader)
                   .toString()
                   .section(QLatin1Char(';'), 0, 0);
    }
    Q_EMIT finished(MafwPlaylistParser::parse(reply->readAll(), reply->url(), mime), QString());
}
