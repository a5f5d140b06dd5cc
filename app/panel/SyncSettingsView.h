#pragma once

#include "sync/SyncBackend.h"

#include <QThread>
#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SyncControl;

// The settings window's "Sync" section: the server, user and password, the collections
// found there and the choice of one (which starts syncing), "Sync now", "Stop syncing", the
// status line and, while a sync holds back removals, the button that accepts them.
class SyncSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit SyncSettingsView(SyncControl& control, QWidget* parent = nullptr);
    // A search still running is given up.
    ~SyncSettingsView() override;
    SyncSettingsView(const SyncSettingsView&) = delete;
    SyncSettingsView& operator=(const SyncSettingsView&) = delete;

    // Asks the server for the user's task collections, on a thread of this view's own; the
    // list fills when the answer comes.
    void findCollections();
    // Syncs with the collection chosen in the list, once the password is in the secret store.
    void useCollection(int index);

    QLineEdit* serverField() const { return server_; }
    QLineEdit* userField() const { return user_; }
    QLineEdit* passwordField() const { return password_; }
    QComboBox* collectionList() const { return collections_; }
    QLabel* statusLine() const { return status_; }
    QPushButton* acceptDeletionsButton() const { return accept_; }

private:
    void showAccount();
    void showFound(const SyncBackend::Found& result);
    void say(const QString& text);
    void showStatus(const QString& status);

    SyncControl& control_;
    QLineEdit* server_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* find_;
    QComboBox* collections_;
    QPushButton* syncNow_;
    QPushButton* stop_;
    QLabel* status_;
    QPushButton* accept_;
    std::vector<TaskCollection> found_;
    QThread discovery_;
    // Lives on `discovery_`; each search runs in its event loop.
    QObject discoveryWorker_;
};
