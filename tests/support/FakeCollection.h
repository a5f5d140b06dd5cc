#pragma once

#include "sync/RemoteCollection.h"
#include "sync/caldav/VTodo.h"

#include <QMap>

// A task collection in memory, as a CalDAV server keeps it: resources by href with ETags, and
// sync tokens naming a point in its history. `syncReports` off answers those reports as a
// server without them does; `forgetsTokens` refuses every token but the empty one;
// `contentTokens` names its contents instead, as Xandikos does (the same contents, the same
// token, however they came back).
class FakeCollection : public RemoteCollection {
public:
    bool syncReports = true;
    bool forgetsTokens = false;
    bool contentTokens = false;
    // Writes and deletions asked of it.
    int writes = 0;
    // Writes that go through before the connection drops for good; -1 for no end.
    int writesLeft = -1;

    std::variant<Changes, Failure> changesSince(const QString& token) override {
        if (!syncReports || (forgetsTokens && !token.isEmpty())) {
            return Failure{403, QStringLiteral("refused")};
        }
        if (contentTokens) {
            return changesFromContents(token);
        }
        Changes changes;
        const int since = token.toInt();
        for (auto it = history_.cbegin(); it != history_.cend(); ++it) {
            if (it.value() > since || token.isEmpty()) {
                if (resources_.contains(it.key())) {
                    changes.changed.push_back(resources_.value(it.key()));
                } else if (!token.isEmpty()) {
                    changes.removed.append(it.key());
                }
            }
        }
        changes.token = QString::number(version_);
        return changes;
    }
    std::variant<Changes, Failure> changesFrom(const QHash<QString, QByteArray>& known) override {
        Changes changes;
        for (const Resource& r : resources_) {
            if (known.value(r.href) != r.etag) {
                changes.changed.push_back(r);
            }
        }
        for (auto it = known.cbegin(); it != known.cend(); ++it) {
            if (!resources_.contains(it.key())) {
                changes.removed.append(it.key());
            }
        }
        return changes;
    }
    std::variant<QByteArray, Failure> put(const QString& href, const QByteArray& ics,
                                          const QByteArray& etag) override {
        ++writes;
        if (writesLeft == 0) {
            return Failure{0, QStringLiteral("connection lost")};
        }
        writesLeft -= writesLeft > 0 ? 1 : 0;
        if (resources_.value(href).etag != etag) {
            return Failure{412, QStringLiteral("precondition failed")};
        }
        return store(href, ics);
    }
    std::variant<std::monostate, Failure> remove(const QString& href,
                                                 const QByteArray& /*etag*/) override {
        ++writes;
        drop(href);
        return std::monostate{};
    }
    std::variant<Entry, QString> read(const QByteArray& body) const override {
        return VTodo::read(body);
    }
    QByteArray write(const Task& task, Stamps at, const QByteArray& previous) const override {
        return VTodo::write(task, at, previous);
    }
    QString hrefFor(const QString& name) const override {
        return QStringLiteral("/c/") + name + QStringLiteral(".ics");
    }

    // Another client's changes.
    QByteArray store(const QString& href, const QByteArray& ics) {
        const QByteArray etag = '"' + QByteArray::number(++version_) + '"';
        resources_.insert(href, {href, etag, ics});
        history_.insert(href, version_);
        return etag;
    }
    void drop(const QString& href) {
        resources_.remove(href);
        history_.insert(href, ++version_);
    }
    QStringList hrefs() const { return resources_.keys(); }
    QByteArray text(const QString& href) const { return resources_.value(href).ics; }

private:
    using Contents = QHash<QString, QByteArray>;
    std::variant<Changes, Failure> changesFromContents(const QString& token) {
        if (!token.isEmpty() && !seen_.contains(token)) {
            return Failure{403, QStringLiteral("unknown token")};
        }
        Contents now;
        QByteArray named;
        for (const Resource& r : resources_) {
            now.insert(r.href, r.etag);
            named += r.href.toUtf8() + ' ' + r.etag + '\n';
        }
        Changes changes = std::get<Changes>(changesFrom(seen_.value(token)));
        changes.token = QStringLiteral("tree-") + QString::fromLatin1(named.toBase64());
        seen_.insert(changes.token, now);
        return changes;
    }

    QHash<QString, Contents> seen_;
    QMap<QString, Resource> resources_;
    // Each href's last change.
    QMap<QString, int> history_;
    int version_ = 0;
};
