#include "sync/DavSession.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>

DavSession::DavSession(const Credentials& credentials, std::chrono::milliseconds timeout)
    : authorization_(
          "Basic " +
          (credentials.user + QLatin1Char(':') + credentials.password).toUtf8().toBase64())
    , timeout_(timeout) {}

DavSession::Failure DavSession::Answer::failure() const {
    if (status == 0) {
        return {0, error};
    }
    return {status, QStringLiteral("HTTP %1").arg(status)};
}

DavSession::Answer DavSession::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                                    const Headers& headers) {
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(timeout_.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Authorization", authorization_);
    for (const auto& [name, value] : headers) {
        request.setRawHeader(name, value);
    }
    QNetworkReply* reply = network_.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Answer answer;
    answer.url = url;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->isOpen() ? reply->readAll() : QByteArray();
    answer.etag = reply->rawHeader("ETag");
    answer.location = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (answer.status == 0) {
        answer.error = reply->errorString();
    }
    reply->deleteLater();
    return answer;
}

DavSession::Answer DavSession::propfind(const QUrl& url, int depth, const QByteArray& props) {
    const QByteArray body = R"(<?xml version="1.0" encoding="utf-8"?>)"
                            R"(<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)"
                            "<d:prop>" +
                            props + "</d:prop></d:propfind>";
    const Headers headers{{"Content-Type", "application/xml; charset=utf-8"},
                          {"Depth", QByteArray::number(depth)}};
    Answer answer = send("PROPFIND", url, body, headers);
    for (int hops = 0; hops < 5 && answer.status / 100 == 3 && !answer.location.isEmpty(); ++hops) {
        answer = send("PROPFIND", answer.url.resolved(answer.location), body, headers);
    }
    return answer;
}
