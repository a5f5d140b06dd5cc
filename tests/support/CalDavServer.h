#pragma once

#include "DavProxy.h"
#include "FileUtil.h"
#include "LocalHttpServer.h"
#include "Processes.h"
#include "sync/caldav/CalDavClient.h"

#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

// A CalDAV server of its own on loopback, storing in a temporary folder, with one task
// collection. Radicale knows the user "test" with the password "secret"; Xandikos asks for
// no password at all. A Radicale without sync reports is one behind a proxy that refuses them.
class CalDavServer {
public:
    enum class Kind { Radicale, Xandikos, RadicaleWithoutSyncReports };

    explicit CalDavServer(Kind kind)
        : kind_(kind) {
        if (kind_ == Kind::RadicaleWithoutSyncReports) {
            intercept({});
        }
        if (kind_ != Kind::Xandikos) {
            addRadicaleCollection(QStringLiteral("tasks"),
                                  R"({"tag": "VCALENDAR", "D:displayname": "tasks",
                     "C:supported-calendar-component-set": "VTODO"})");
            writeFile(dir_.filePath(QStringLiteral("users")), "test:secret\n");
        }
    }
    ~CalDavServer() {
        server_.kill();
        server_.waitForFinished();
    }

    static std::string name(Kind kind) {
        const char* names[] = {"Radicale", "Xandikos", "RadicaleWithoutSyncReports"};
        return names[static_cast<int>(kind)];
    }
    // How many sync reports were refused.
    int refusals() const { return refusals_; }

    // From now on clients reach the server through a proxy that shows each request to `hook`.
    void intercept(DavProxy::Hook hook) {
        hook_ = std::move(hook);
        if (!proxy_) {
            proxy_ = std::make_unique<DavProxy>(port_, [this](const QByteArray& request) {
                if (kind_ == Kind::RadicaleWithoutSyncReports && request.startsWith("REPORT ") &&
                    request.contains("<d:sync-collection")) {
                    ++refusals_;
                    return std::optional(LocalHttpServer::response(
                        403, R"(<d:error xmlns:d="DAV:"><d:supported-report/></d:error>)",
                        "Connection: close\r\nContent-Type: application/xml\r\n"));
                }
                return hook_ ? hook_(request) : std::nullopt;
            });
        }
    }

    // Radicale only: a collection of the user "test" with these stored properties.
    void addRadicaleCollection(const QString& name, const QByteArray& props) {
        writeFile(dir_.path() + "/collection-root/test/" + name + "/.Radicale.props", props);
    }

    // False, after a line saying why, when the server does not listen within ten seconds. It
    // binds a port of the system's choice each time, found where it listens.
    bool start() {
        const QString listen = QStringLiteral("127.0.0.1");
        if (kind_ != Kind::Xandikos) {
            server_.start("radicale",
                          {"--config", "", "--server-hosts", listen + ":0",
                           "--storage-filesystem-folder", dir_.path(), "--auth-type", "htpasswd",
                           "--auth-htpasswd-filename", dir_.filePath("users"),
                           "--auth-htpasswd-encryption", "plain"});
        } else {
            server_.start("xandikos", {"-d", dir_.path(), "--defaults", "-l", listen, "-p", "0"});
        }
        std::optional<quint16> port;
        E2E::waitUntil([&] { return (port = E2E::listeningPort(server_.processId())).has_value(); },
                       std::chrono::seconds(10));
        if (port) {
            port_ = *port;
            if (proxy_) {
                proxy_->setUpstream(port_);
            }
            return true;
        }
        std::fprintf(stderr, "%s did not start: %s\n", name(kind_).c_str(),
                     server_.readAllStandardError().constData());
        return false;
    }

    QUrl root() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(proxy_ ? proxy_->port() : port_));
    }
    QUrl collection() const {
        return root().resolved(
            QUrl(kind_ != Kind::Xandikos ? "/test/tasks/" : "/user/calendars/calendar/"));
    }
    CalDavClient::Credentials credentials(const QString& password = "secret") const {
        return {QStringLiteral("test"), password};
    }
    CalDavClient client() const {
        return CalDavClient(collection(), credentials(), std::chrono::seconds(5));
    }

    // The resources the collection holds, as another client lists them.
    std::vector<CalDavClient::Resource> listed() const {
        auto changes = client().changesSince({});
        const auto* listing = std::get_if<CalDavClient::Changes>(&changes);
        return listing ? listing->changed : std::vector<CalDavClient::Resource>{};
    }
    // Another client deletes every task.
    void removeAll() const {
        CalDavClient other = client();
        for (const CalDavClient::Resource& r : listed()) {
            other.remove(r.href, {});
        }
    }

private:
    Kind kind_;
    QTemporaryDir dir_;
    quint16 port_ = 0;
    QProcess server_;
    std::unique_ptr<DavProxy> proxy_;
    DavProxy::Hook hook_;
    int refusals_ = 0;
};
