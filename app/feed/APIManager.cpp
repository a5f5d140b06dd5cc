#include "feed/APIManager.h"

#include "feed/FeedParser.h"
#include "support/Console.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace {

const QString badData = QStringLiteral("Bad sysMsg Data.");

// One fetch, from the request to its one completion. The reply's connections own it.
class Fetch {
public:
    Fetch(QNetworkReply* reply, APIManager::Completion success)
        : reply_(reply)
        , success_(std::move(success)) {}

    // Decides on the status as soon as the head is in, so that a refused answer's body is
    // never waited for. A redirect's head waits for the end: only then is it known whether
    // the redirect was followed.
    void onHead() {
        const int code = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (code < 300 || code > 399 || !reply_->hasRawHeader("Location")) {
            decide();
        }
    }

    void onData() {
        if (done_ || !headSeen_) {
            return;
        }
        body_ += reply_->readAll();
        if (body_.size() > APIManager::maxBodyBytes) {
            refuseOversized();
        }
    }

    void onTimeout() {
        if (!done_) {
            timedOut_ = true;
            reply_->abort();
        }
    }

    void onFinished() {
        reply_->deleteLater();
        decide();
        if (done_) {
            return;
        }
        if (reply_->error() != QNetworkReply::NoError) {
            complete(false, badData, {});
            Console::printLine(timedOut_ ? QStringLiteral("Message feed: no answer in time")
                                         : reply_->errorString());
            return;
        }
        onData();
        if (done_) {
            return;
        }
        Feed::ParsedFeed parsed = Feed::parseFeed(body_);
        if (!parsed.messages) {
            complete(false, badData, {});
            Console::printLine("Message feed:", parsed.problem);
            return;
        }
        if (!parsed.valueLines.isEmpty()) {
            Console::printLine(parsed.valueLines);
        }
        complete(true, QStringLiteral("Success"), std::move(*parsed.messages));
    }

private:
    void decide() {
        const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (done_ || headSeen_ || !status.isValid()) {
            return;
        }
        headSeen_ = true;
        const int code = status.toInt();
        Console::printLine("getSysMsg StatusCode:", code);
        if (code < 200 || code > 299) {
            abandon(QStringLiteral("getSysMsg failed, response code: ") + QString::number(code));
        }
    }

    void complete(bool ok, const QString& status, std::vector<SystemMessage> messages) {
        done_ = true;
        success_(ok, status, std::move(messages));
    }

    // Completes now and drops the connection; the reply still finishes, silently.
    void abandon(const QString& status) {
        complete(false, status, {});
        reply_->abort();
    }

    void refuseOversized() {
        abandon(badData);
        Console::printLine("Message feed: the body is larger than 1 MiB");
    }

    QNetworkReply* const reply_;
    const APIManager::Completion success_;
    QByteArray body_;
    bool headSeen_ = false;
    bool timedOut_ = false;
    bool done_ = false;
};

} // namespace

APIManager::APIManager(FeedAddress address, QObject* parent)
    : QObject(parent)
    , address_(std::move(address)) {}

void APIManager::getSystemMessages(Completion success) {
    if (!address_.accepted()) {
        Console::printLine(address_.refusal);
        return;
    }
    QNetworkRequest request(address_.url);
    request.setRawHeader("Content-Type", "application/json");
    // A redirect elsewhere (another scheme, host or port) ends the fetch with its 3xx status.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    QNetworkReply* const reply = network_.get(request);
    // Bounds what a body that is not read yet (a redirect's) can hold in memory.
    reply->setReadBufferSize(maxBodyBytes);
    const auto fetch = std::make_shared<Fetch>(reply, std::move(success));
    connect(reply, &QNetworkReply::metaDataChanged, reply, [fetch] { fetch->onHead(); });
    connect(reply, &QNetworkReply::readyRead, reply, [fetch] { fetch->onData(); });
    connect(reply, &QNetworkReply::finished, reply, [fetch] { fetch->onFinished(); });
    auto* const deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [fetch] { fetch->onTimeout(); });
    deadline->start(timeout_);
}
