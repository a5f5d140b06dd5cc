#pragma once

#include "platform/LoginItem.h"
#include "store/PreferenceStore.h"

#include <QMenu>
#include <QObject>
#include <QString>

class QAction;
class QSystemTrayIcon;

// The process-level object: life-cycle lines, the main menu and its actions, and the
// start-at-login choice. The menu is shown by a tray icon where a tray exists, and always
// as the panel's context menu.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // `executable` is the binary that was started; the autostart entry starts the installed one
    // unless the user asked for this one (see LoginItem::launcherFor).
    explicit AppDelegate(const QString& executable, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    // The tray icon (and the windows' icon); not needed before the panel's first frame.
    void showTrayIcon();

    void launchAction(QAction* sender);
    void exportAction();
    void unsnoozeAction();
    // False when the autostart entry could not be written or removed.
    bool setLaunchAtStartup(bool enabled);

    bool launchOnStartup() const { return launchOnStartupFlag_; }
    QAction* launchMenuItem() const { return launchItem_; }
    QMenu& mainMenu() { return menu_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }

signals:
    void quitRequested();
    // The menu asks for the task list, for every task unsnoozed, or for the panel.
    void tasksWindowRequested();
    void unsnoozeAllRequested();
    void panelRequested();

private:
    void applicationStateChanged(Qt::ApplicationState state);

    const PreferenceStore defaults_;
    const LoginItem::Launcher launcher_;
    bool launchOnStartupFlag_ = true;
    QMenu menu_;
    QAction* launchItem_;
    QSystemTrayIcon* tray_ = nullptr;
};
