#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

// Stands between a client and a server on loopback, one request per connection, and answers
// itself, with the refusal a server gives a report it does not know, every request whose body
// holds `refused`. It serves from the event loop of the thread it was made on.
class RefusingProxy {
public:
    RefusingProxy(quint16 upstream, QByteArray refused)
        : upstream_(upstream)
        , refused_(std::move(refused)) {
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
    int refusals() const { return refusals_; }

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
        QByteArray request = client->property("request").toByteArray() + client->readAll();
        client->setProperty("request", request);
        if (!complete(request)) {
            return;
        }
        if (request.startsWith("REPORT ") && request.contains(refused_)) {
            ++refusals_;
            const QByteArray body =
                R"(<?xml version="1.0"?><d:error xmlns:d="DAV:"><d:supported-report/></d:error>)";
            client->write("HTTP/1.1 403 Forbidden\r\nConnection: close\r\nContent-Type: "
                          "application/xml\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n" + body);
            client->disconnectFromHost();
            return;
        }
        auto* server = new QTcpSocket(client);
        QObject::connect(server, &QTcpSocket::connected, server,
                         [server, request] { server->write(closing(request)); });
        QObject::connect(server, &QTcpSocket::disconnected, client, [server, client] {
            client->write(closing(server->property("answer").toByteArray() + server->readAll()));
            client->disconnectFromHost();
        });
        QObject::connect(server, &QTcpSocket::readyRead, server, [server] {
            server->setProperty("answer",
                                server->property("answer").toByteArray() + server->readAll());
        });
        server->connectToHost(QHostAddress::LocalHost, upstream_);
    }

    quint16 upstream_;
    QByteArray refused_;
    QTcpServer server_;
    int refusals_ = 0;
};
