#pragma once

#include <QString>
#include <QUrl>

#include <chrono>
#include <stop_token>

// As whom, and within what time, a sync or a search reaches a server.
struct ServerCredentials {
    QString user;
    QString password;
};

struct ServerBounds {
    using Clock = std::chrono::steady_clock;
    // The longest one request may take, from sending to the answer's last byte.
    std::chrono::milliseconds request{std::chrono::seconds(30)};
    // When every request must have ended.
    Clock::time_point end = Clock::time_point::max();
    std::stop_token stop;
};

// A collection of tasks a server offers the user.
struct TaskCollection {
    QUrl url;
    QString name;
};
