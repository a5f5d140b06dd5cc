#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <map>
#include <utility>
#include <vector>

// An HTTP server on 127.0.0.1 for tests of network clients. A request for a path gets the raw
// bytes set for it, then the connection closes unless it is kept open; other paths get no answer.
class LocalHttpServer {
public:
    LocalHttpServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { serve(socket); });
            }
        });
    }

    // The status line, Content-Length, the extra header lines, then the body.
    static QByteArray response(int status, const QByteArray& body, const QByteArray& headers = {}) {
        return "HTTP/1.1 " + QByteArray::number(status) +
               " Canned\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + headers +
               "\r\n" + body;
    }

    void answer(const QByteArray& path, const QByteArray& raw, bool keepOpen = false) {
        answers_[path] = {raw, keepOpen};
    }

    QUrl url(const QString& path = QStringLiteral("/msg.json")) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

    // The head of every request, in order of arrival.
    const std::vector<QByteArray>& requests() const { return requests_; }

private:
    void serve(QTcpSocket* socket) {
        if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n")) {
            return;
        }
        requests_.push_back(socket->readAll());
        const auto found = answers_.find(requests_.back().split(' ').value(1));
        if (found != answers_.end()) {
            socket->write(found->second.first);
            if (!found->second.second) {
                socket->disconnectFromHost();
            }
        }
    }

    QTcpServer server_;
    std::map<QByteArray, std::pair<QByteArray, bool>> answers_; // raw bytes, keep open
    std::vector<QByteArray> requests_;
};
