#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Sets TZ for the life of the object.
class TimeZone {
public:
    explicit TimeZone(const char* tz)
        : previous(qgetenv("TZ"))
        , hadPrevious(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", tz);
        tzset();
    }
    ~TimeZone() {
        if (hadPrevious) {
            qputenv("TZ", previous);
        } else {
            qunsetenv("TZ");
        }
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    QByteArray previous;
    bool hadPrevious;
};
