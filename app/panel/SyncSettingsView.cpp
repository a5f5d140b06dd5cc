#include "panel/SyncSettingsView.h"

#include "sync/SyncControl.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr std::chrono::seconds discoveryPatience{30};

} // namespace

SyncSettingsView::SyncSettingsView(SyncControl& control, QWidget* parent)
    : QWidget(parent)
    , control_(control)
    , server_(new QLineEdit(this))
    , user_(new QLineEdit(this))
    , password_(new QLineEdit(this))
    , find_(new QPushButton(QStringLiteral("Find collections"), this))
    , collections_(new QComboBox(this))
    , syncNow_(new QPushButton(QStringLiteral("Sync now"), this))
    , stop_(new QPushButton(QStringLiteral("Stop syncing"), this))
    , status_(new QLabel(this))
    , accept_(new QPushButton(QStringLiteral("Delete Them Here Too"), this)) {
    server_->setPlaceholderText(QStringLiteral("https://"));
    password_->setEchoMode(QLineEdit::Password);
    status_->setTextFormat(Qt::PlainText);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Server"), server_);
    form->addRow(QStringLiteral("User"), user_);
    form->addRow(QStringLiteral("Password"), password_);
    form->addRow(find_);
    form->addRow(QStringLiteral("Collection"), collections_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(syncNow_);
    buttons->addWidget(stop_);
    form->addRow(buttons);
    form->addRow(status_);
    form->addRow(accept_);
    accept_->setAccessibleName(QStringLiteral("Delete here the tasks the server no longer lists"));

    connect(find_, &QPushButton::clicked, this, &SyncSettingsView::findCollections);
    connect(collections_, &QComboBox::activated, this, &SyncSettingsView::useCollection);
    connect(syncNow_, &QPushButton::clicked, this, [this] { say(control_.syncNow().message); });
    connect(stop_, &QPushButton::clicked, this, [this] { say(control_.turnOff().message); });
    connect(&control_, &SyncControl::accountChanged, this, &SyncSettingsView::showAccount);
    connect(accept_, &QPushButton::clicked, this,
            [this] { say(control_.acceptDeletions().message); });
    connect(&control_.service(), &SyncService::statusChanged, this, &SyncSettingsView::showStatus);
    connect(&control_, &SyncControl::secretForgotten, this, [this](const QString& failure) {
        if (!failure.isEmpty()) {
            say(QStringLiteral("The password could not be removed from the secret store: ") +
                failure);
        }
    });
    discoveryWorker_.moveToThread(&discovery_);
    discovery_.setObjectName(QStringLiteral("discovery"));
    showAccount();
    showStatus(control_.service().status());
}

SyncSettingsView::~SyncSettingsView() {
    // Quitting ends the wait for the server's answer as well.
    discovery_.quit();
    discovery_.wait();
}

void SyncSettingsView::showAccount() {
    const std::optional<SyncAccount>& account = control_.account();
    server_->setText(account ? account->server.toString() : QString());
    user_->setText(account ? account->user : QString());
    collections_->clear();
    found_.clear();
    if (account) {
        collections_->addItem(account->collection.toDisplayString());
    }
    syncNow_->setEnabled(account.has_value());
    stop_->setEnabled(account.has_value());
}

void SyncSettingsView::findCollections() {
    const QUrl server(server_->text().trimmed(), QUrl::StrictMode);
    if (const QString why = SyncAccount::refusal(server); !why.isEmpty()) {
        say(QStringLiteral("Address refused: ") + why);
        return;
    }
    find_->setEnabled(false);
    say(QStringLiteral("Looking for task collections…"));
    if (!discovery_.isRunning()) {
        discovery_.start();
    }
    QMetaObject::invokeMethod(
        &discoveryWorker_, [this, &backend = control_.service().backend(), server,
                            credentials = ServerCredentials{user_->text(), password_->text()}] {
            // This view waits for the thread before it goes, so it is still here.
            QMetaObject::invokeMethod(
                this, [this, found = backend.findTaskCollections(server, credentials,
                                                                 discoveryPatience, {})] {
                    showFound(found);
                    find_->setEnabled(true);
                });
        });
}

void SyncSettingsView::showFound(const SyncBackend::Found& result) {
    if (const auto* failure = std::get_if<SyncBackend::Failure>(&result)) {
        say(QStringLiteral("No collections found: ") + failure->reason);
        return;
    }
    found_ = std::get<std::vector<TaskCollection>>(result);
    collections_->clear();
    for (const TaskCollection& c : found_) {
        collections_->addItem(c.name.isEmpty() ? c.url.toDisplayString() : c.name);
    }
    say(found_.empty() ? QStringLiteral("The server holds no task collection for this user")
                       : QStringLiteral("Choose the collection to sync with"));
}

void SyncSettingsView::useCollection(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= found_.size()) {
        return;
    }
    const SyncAccount account{QUrl(server_->text().trimmed(), QUrl::StrictMode),
                              user_->text(),
                              found_[static_cast<std::size_t>(index)].url,
                              {}};
    if (const QString why = account.refusal(); !why.isEmpty()) {
        say(QStringLiteral("Sync not set up: ") + why);
        return;
    }
    say(QStringLiteral("Keeping the password in the secret store…"));
    control_.setUp(account, password_->text(), this,
                   [this](const SyncControl::Reply& reply) { say(reply.message); });
    password_->clear();
}

void SyncSettingsView::say(const QString& text) {
    status_->setText(text);
}

void SyncSettingsView::showStatus(const QString& status) {
    say(status);
    accept_->setVisible(control_.service().heldDeletions() > 0);
}
