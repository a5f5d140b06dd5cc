#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>
#include <optional>

// Stands between a client and a server on loopback, one request per connection. Before each
// request goes on, a hook sees it and may answer it itself, or act first (stop the server,
// change its data). It serves from the event loop of the thread it was made on.
class DavProxy {
public:
    // The proxy's own answer to a request, or nullopt to pass it on.
    using Hook = std::function<std::optional<QByteArray>(const QByteArray& request)>;

    DavProxy(quint16 upstream, Hook hook)
        : upstream_(upstream)
        , hook_(std::move(hook)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* client = server_.nextPendingConnection()) {
                QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                QObject::connect(client, &QTcpSocket::readyRead, client,
                                 [this, client] { serve(client); });
            }
        });
    }

    quint16 port() const { return server_.serverPort(); }
    // Where requests go on to, when the server came back on another port.
    void setUpstream(quint16 upstream) { upstream_ = upstream; }

private:
    // The message with its Connection header saying close, so that neither side waits for more.
    static QByteArray closing(const QByteArray& message) {
        const qsizetype headEnd = message.indexOf("\r\n\r\n");
        QList<QByteArray> lines = message.left(headEnd).split('\n');
        lines.removeIf([](const QByteArray& l) { return l.toLower().startsWith("connection:"); });
        lines.insert(1, "Connection: close\r");
        return lines.join('\n') + message.mid(headEnd);
    }

    static bool complete(const QByteArray& request) {
        const qsizetype headEnd = request.indexOf("\r\n\r\n");
        if (headEnd < 0) {
            return false;
        }
        const qsizetype at = request.toLower().indexOf("\r\ncontent-length:");
        const qsizetype length =
            at < 0 || at > headEnd
                ? 0
                : request.mid(at + 17).split('\r').front().trimmed().toLongLong();
        return request.size() >= headEnd + 4 + length;
    }

    void serve(QTcpSocket* client) {
        const QByteArray request = client->property("request").toByteArray() + client->readAll();
        client->setProperty("request", request);
        if (!complete(request)) {
            return;
        }
        if (const std::optional<QByteArray> own = hook_(request)) {
            client->write(*own);
            client->disconnectFromHost();
            return;
        }
        auto* server = new QTcpSocket(client);
        QObject::connect(server, &QTcpSocket::connected, server,
                         [server, request] { server->write(closing(request)); });
        QObject::connect(server, &QTcpSocket::readyRead, server, [server] {
            server->setProperty("answer",
                                server->property("answer").toByteArray() + server->readAll());
        });
        QObject::connect(server, &QTcpSocket::errorOccurred, client, [server, client] {
            // A server that closed after answering has answered; one that is gone has not.
            const QByteArray answer = server->property("answer").toByteArray() + server->readAll();
            if (answer.isEmpty()) {
                client->abort();
            } else {
                client->write(closing(answer));
                client->disconnectFromHost();
            }
        });
        server->connectToHost(QHostAddress::LocalHost, upstream_);
    }

    quint16 upstream_;
    Hook hook_;
    QTcpServer server_;
};
