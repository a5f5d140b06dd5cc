#pragma once

#include "store/PreferenceStore.h"

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QSystemTrayIcon;
class ViewController;

// The process-level object: life-cycle lines, the main menu and its actions, and the
// start-at-login choice. The menu is shown by a tray icon where a tray exists, and always
// as the panel's context menu.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // `executable` is what the autostart entry starts.
    explicit AppDelegate(QString executable, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Called by the panel when it loads.
    void setViewController(ViewController* controller);

    void applicationDidFinishLaunching();
    // The tray icon (and the windows' icon); not needed before the panel's first frame.
    void showTrayIcon();

    void launchAction(QAction* sender);
    void exportAction();
    void unsnoozeAction();
    // False when the autostart entry could not be written or removed.
    bool setLaunchAtStartup(bool enabled);

    bool launchOnStartup() const { return launchOnStartupFlag; }
    QAction* launchMenuItem() const { return launchItem; }
    QMenu& mainMenu() { return menu; }
    QSystemTrayIcon* trayIcon() const { return tray; }

signals:
    void quitRequested();

private:
    void applicationStateChanged(Qt::ApplicationState state);
    void showPanel();

    QPointer<ViewController> vc;
    const PreferenceStore defaults;
    const QString executablePath;
    bool launchOnStartupFlag = true;
    QMenu menu;
    QAction* launchItem;
    QSystemTrayIcon* tray = nullptr;
};
