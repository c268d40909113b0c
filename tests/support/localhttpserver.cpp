#include "localhttpserver.h"

#include <QTcpSocket>
#include <QTimer>

LocalHttpServer::LocalHttpServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this]() {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket]() { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

bool LocalHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl LocalHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LocalHttpServer::serve(QTcpSocket* socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    if (!request.contains("\r\n\r\n")) {
        socket->setProperty("request", request);
        return;
    }
    socket->setProperty("request", QByteArray());
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = line.size() > 1 ? QString::fromLatin1(line.at(1)) : QString();
    ++m_hits[path];
    ++m_totalHits;
    const auto it = m_routes.constFind(path);
    const Route route = it != m_routes.constEnd() ? *it : Route{"not found", "text/plain", 404};
    const bool head = line.value(0) == "HEAD";
    if (route.cutAfter >= 0 && request.contains("\r\nRange:")) {
        socket->abort();
        return;
    }
    QByteArray response = "HTTP/1.1 " + QByteArray::number(route.status) +
                          (route.status == 200 ? " OK" : " Error") +
                          "\r\nContent-Type: " + route.contentType + "\r\nConnection: close\r\n";
    if (!route.live) {
        response += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\n";
    }
    response += route.headers + "\r\n";
    if (!head && !route.stall) {
        response += route.cutAfter >= 0 ? route.body.left(route.cutAfter) : route.body;
    }
    const bool stall = route.stall;
    const auto answer = [socket, response, stall]() {
        socket->write(response);
        if (!stall) {
            socket->disconnectFromHost();
        }
    };
    if (route.delay > 0) {
        QTimer::singleShot(route.delay, socket, answer);
    } else {
        answer();
    }
}
