#ifndef LOCALHTTPSERVER_H
#define LOCALHTTPSERVER_H

#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

// A small HTTP/1.1 server on 127.0.0.1 and a free port, serving fixed bodies by path.
class LocalHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Route
    {
        QByteArray body;
        QByteArray contentType = "application/octet-stream";
        int status = 200;
        bool live = false;       // no Content-Length: the body ends when the connection closes
        int cutAfter = -1;       // the connection breaks after this many bytes of the body, and
                                 // requests to resume (with a Range) get no answer
        QByteArray headers = {}; // more header lines, each ending in "\r\n"
        bool stall = false;      // only the headers are sent, and the connection stays open
        int delay = 0;           // milliseconds between the request and the answer
    };

    explicit LocalHttpServer(QObject* parent = nullptr);
    bool listen();
    QUrl url(const QString& path) const;
    void addRoute(const QString& path, const Route& route) { m_routes.insert(path, route); }
    int hits(const QString& path) const { return m_hits.value(path); }
    int totalHits() const { return m_totalHits; }

private:
    void serve(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QString, Route> m_routes;
    QHash<QString, int> m_hits;
    int m_totalHits = 0;
};

#endif
