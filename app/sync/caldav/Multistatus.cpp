#include "sync/caldav/Multistatus.h"

#include <QBuffer>
#include <QXmlStreamReader>

namespace {

const QString dav = QStringLiteral("DAV:");
const QString caldav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

bool is(const QXmlStreamReader& xml, const QString& ns, QLatin1StringView name) {
    return xml.namespaceUri() == ns && xml.name() == name;
}

// "HTTP/1.1 404 Not Found" → 404.
int readStatus(QXmlStreamReader& xml) {
    const QStringList parts = xml.readElementText().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// The first DAV:href inside the current element.
QString readHref(QXmlStreamReader& xml) {
    QString href;
    while (xml.readNextStartElement()) {
        if (href.isEmpty() && is(xml, dav, QLatin1StringView("href"))) {
            href = xml.readElementText().trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    return href;
}

// <c:comp name="VTODO"/>…
QStringList readComponents(QXmlStreamReader& xml) {
    QStringList names;
    while (xml.readNextStartElement()) {
        if (is(xml, caldav, QLatin1StringView("comp"))) {
            names.append(xml.attributes().value(QLatin1StringView("name")).toString());
        }
        xml.skipCurrentElement();
    }
    return names;
}

// The element's text, unless it is longer than `cap`; read piece by piece so that an
// oversized one is never copied.
QByteArray readCapped(QXmlStreamReader& xml, qsizetype cap, bool& tooLarge) {
    QString text;
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::EndElement) {
        if (xml.isStartElement()) {
            xml.skipCurrentElement();
        } else if (xml.isCharacters() && !tooLarge) {
            tooLarge = text.size() + xml.text().size() > cap;
            if (tooLarge) {
                text.clear();
            } else {
                text += xml.text();
            }
        }
    }
    QByteArray utf8 = text.toUtf8();
    tooLarge = tooLarge || utf8.size() > cap;
    return tooLarge ? QByteArray() : utf8;
}

void readProperties(QXmlStreamReader& xml, Multistatus::Properties& p, qsizetype dataCap) {
    while (xml.readNextStartElement()) {
        if (is(xml, dav, QLatin1StringView("getetag"))) {
            p.etag = xml.readElementText().trimmed().toUtf8();
        } else if (is(xml, caldav, QLatin1StringView("calendar-data"))) {
            p.calendarData = readCapped(xml, dataCap, p.dataTooLarge);
        } else if (is(xml, dav, QLatin1StringView("displayname"))) {
            p.displayName = xml.readElementText().trimmed();
        } else if (is(xml, dav, QLatin1StringView("current-user-principal"))) {
            p.principal = readHref(xml);
        } else if (is(xml, caldav, QLatin1StringView("calendar-home-set"))) {
            p.calendarHome = readHref(xml);
        } else if (is(xml, dav, QLatin1StringView("resourcetype"))) {
            while (xml.readNextStartElement()) {
                p.isCalendar = p.isCalendar || is(xml, caldav, QLatin1StringView("calendar"));
                xml.skipCurrentElement();
            }
        } else if (is(xml, caldav, QLatin1StringView("supported-calendar-component-set"))) {
            p.components = readComponents(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
}

Multistatus::Response readResponse(QXmlStreamReader& xml, qsizetype dataCap) {
    Multistatus::Response r;
    bool found = false;
    while (xml.readNextStartElement()) {
        if (is(xml, dav, QLatin1StringView("href"))) {
            r.href = xml.readElementText().trimmed();
        } else if (is(xml, dav, QLatin1StringView("status"))) {
            r.status = readStatus(xml);
        } else if (is(xml, dav, QLatin1StringView("propstat"))) {
            Multistatus::Properties p;
            int status = 0;
            while (xml.readNextStartElement()) {
                if (is(xml, dav, QLatin1StringView("prop"))) {
                    readProperties(xml, p, dataCap);
                } else if (is(xml, dav, QLatin1StringView("status"))) {
                    status = readStatus(xml);
                } else {
                    xml.skipCurrentElement();
                }
            }
            // A response with any property found counts as found.
            if (status / 100 == 2 && !found) {
                found = true;
                static_cast<Multistatus::Properties&>(r) = p;
                r.status = status;
            } else if (r.status == 0) {
                r.status = status;
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return r;
}

} // namespace

std::optional<Multistatus> Multistatus::parse(const QByteArray& xml, qsizetype dataCap) {
    // Read from a device, Qt decodes the text a piece at a time rather than all at once.
    QBuffer device;
    device.setData(xml);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    if (!reader.readNextStartElement() || !is(reader, dav, QLatin1StringView("multistatus"))) {
        return std::nullopt;
    }
    Multistatus result;
    while (reader.readNextStartElement()) {
        if (is(reader, dav, QLatin1StringView("response"))) {
            result.responses.push_back(readResponse(reader, dataCap));
            if (result.responses.back().href.isEmpty() || result.responses.back().status == 0) {
                return std::nullopt;
            }
        } else if (is(reader, dav, QLatin1StringView("sync-token"))) {
            result.syncToken = reader.readElementText().trimmed();
        } else {
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError()) {
        return std::nullopt;
    }
    return result;
}
