#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <utility>

// An HTTP/1.1 answer read as its bytes arrive: the status line and headers, then a body
// delimited by Content-Length, by chunks or by the end of the connection. Nothing past
// `cap` body bytes is kept: the answer fails as soon as it would be longer. (Qt's network
// access reads a flooding server into memory whole before it says a word.)
class HttpAnswerReader {
public:
    enum class State { Reading, Done, Failed };

    explicit HttpAnswerReader(qsizetype cap)
        : cap_(cap) {}

    State feed(QByteArrayView bytes);
    // The connection ended.
    State end();

    int status() const { return status_; }
    // The first header of that name (in lower case), as the server wrote it.
    QByteArray header(QByteArrayView name) const;
    const QByteArray& body() const { return body_; }
    // Why the answer failed.
    const QString& error() const { return error_; }
    static QString tooLarge();

private:
    enum class Part { Head, Length, ChunkSize, ChunkData, ChunkEnd, Trailer, UntilClose, Done };

    bool readHead();
    bool readLine(QByteArray& line);
    void take(qsizetype n);
    State fail(const QString& why);

    qsizetype cap_;
    Part part_ = Part::Head;
    State state_ = State::Reading;
    QByteArray pending_;
    int status_ = 0;
    QList<std::pair<QByteArray, QByteArray>> headers_;
    QByteArray body_;
    qint64 left_ = 0;
    QString error_;
};
