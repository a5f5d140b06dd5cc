#include "sync/Multistatus.h"

#include <QXmlStreamReader>

namespace {

const QString dav = QStringLiteral("DAV:");
const QString caldav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

// "HTTP/1.1 404 Not Found" → 404.
int statusCode(const QString& line) {
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

bool is(const QXmlStreamReader& xml, const QString& ns, QLatin1StringView name) {
    return xml.namespaceUri() == ns && xml.name() == name;
}

} // namespace

std::optional<Multistatus> Multistatus::parse(const QByteArray& xml) {
    Multistatus result;
    QXmlStreamReader reader(xml);
    Response* current = nullptr;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            if (reader.isEndElement() && is(reader, dav, QLatin1StringView("response"))) {
                current = nullptr;
            }
            continue;
        }
        if (is(reader, dav, QLatin1StringView("response"))) {
            current = &result.responses.emplace_back();
        } else if (is(reader, dav, QLatin1StringView("sync-token")) && !current) {
            result.syncToken = reader.readElementText().trimmed();
        } else if (!current) {
            continue;
        } else if (is(reader, dav, QLatin1StringView("href"))) {
            current->href = reader.readElementText().trimmed();
        } else if (is(reader, dav, QLatin1StringView("status"))) {
            const int code = statusCode(reader.readElementText());
            // A response with any property found counts as found.
            if (current->status == 0 || code / 100 == 2) {
                current->status = code;
            }
        } else if (is(reader, dav, QLatin1StringView("getetag"))) {
            current->etag = reader.readElementText().trimmed().toUtf8();
        } else if (is(reader, caldav, QLatin1StringView("calendar-data"))) {
            current->calendarData = reader.readElementText().toUtf8();
        }
    }
    if (reader.hasError()) {
        return std::nullopt;
    }
    return result;
}
