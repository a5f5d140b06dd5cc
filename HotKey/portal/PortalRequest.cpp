#include "HotKey/portal/PortalRequest.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

void PortalRequest::send(QDBusConnection connection, const QDBusMessage& call, const QString& token,
                         std::chrono::seconds deadline, Done done, QObject* parent) {
    auto* request = new PortalRequest(connection, path(connection.baseService(), token),
                                      std::move(done), parent);
    auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(call), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, [request, watcher] {
        watcher->deleteLater();
        if (watcher->isError()) {
            request->finish({2, {}, watcher->error().message()});
        }
    });
    if (deadline > std::chrono::seconds::zero()) {
        QTimer::singleShot(deadline, request, [request, deadline] {
            request->finish({2, {}, QStringLiteral("no answer within %1 s").arg(deadline.count())});
        });
    }
}

QString PortalRequest::path(const QString& uniqueName, const QString& token) {
    QString sender = uniqueName;
    sender.remove(u':').replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + u'/' + token;
}

PortalRequest::PortalRequest(QDBusConnection connection, QString path, Done done, QObject* parent)
    : QObject(parent)
    , connection_(std::move(connection))
    , path_(std::move(path))
    , done_(std::move(done)) {
    connection_.connect(portalService, path_, requestInterface, QStringLiteral("Response"), this,
                        SLOT(response(uint, QVariantMap)));
}

void PortalRequest::response(uint code, const QVariantMap& results) {
    finish({code, results, {}});
}

void PortalRequest::finish(const PortalAnswer& answer) {
    if (!done_) {
        return;
    }
    connection_.disconnect(portalService, path_, requestInterface, QStringLiteral("Response"), this,
                           SLOT(response(uint, QVariantMap)));
    const Done done = std::exchange(done_, {});
    deleteLater();
    done(answer);
}
