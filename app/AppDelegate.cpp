#include "AppDelegate.h"

#include "panel/ViewController.h"
#include "platform/LoginItem.h"
#include "store/StoreKeys.h"
#include "support/Console.h"

#include <QGuiApplication>
#include <QIcon>
#include <QSystemTrayIcon>

namespace {
QIcon applicationIcon() {
    QIcon icon;
    for (const int size : {32, 64}) {
        icon.addFile(QStringLiteral(":/icons/quenby-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
} // namespace

AppDelegate::AppDelegate(QString executable, QObject* parent)
    : QObject(parent)
    , defaults(PreferenceStore::standard())
    , executablePath(std::move(executable)) {
    launchItem = menu.addAction(QStringLiteral("Start at Login"));
    launchItem->setCheckable(true);
    connect(launchItem, &QAction::triggered, this, [this] { launchAction(launchItem); });
    connect(menu.addAction(QStringLiteral("Edit Tasks…")), &QAction::triggered, this,
            &AppDelegate::exportAction);
    connect(menu.addAction(QStringLiteral("Unsnooze All")), &QAction::triggered, this,
            &AppDelegate::unsnoozeAction);
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("Quit Quenby")), &QAction::triggered, this,
            &AppDelegate::quitRequested);

    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &AppDelegate::applicationStateChanged);
}

void AppDelegate::showTrayIcon() {
    // Shown even without a tray: the icon docks when one appears.
    if (tray || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        return;
    }
    QGuiApplication::setWindowIcon(applicationIcon());
    tray = new QSystemTrayIcon(applicationIcon(), this);
    tray->setToolTip(QStringLiteral("Quenby"));
    tray->setContextMenu(&menu);
    connect(tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) {
            showPanel();
        }
    });
    tray->show();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::setViewController(ViewController* controller) {
    vc = controller;
    vc->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(vc, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu.popup(vc->mapToGlobal(at)); });
}

void AppDelegate::applicationDidFinishLaunching() {
    // Once per installation: a mark that is there but unreadable was set before.
    const auto startupSet = defaults.boolean(StoreKeys::startupSet);
    if (startupSet ? !*startupSet
                   : !defaults.contains(StoreKeys::startupSet, PreferenceStore::Kind::Boolean)) {
        const bool registered = setLaunchAtStartup(true);
        // The flags only record; a failed write has said why.
        static_cast<void>(defaults.setBool(StoreKeys::startupSet, true));
        static_cast<void>(defaults.setBool(StoreKeys::launchOnStartup, registered));
    }
    // The menu shows what the desktop will do at login: whether the entry is there.
    launchOnStartupFlag = LoginItem::isEnabled();
    Console::printLine("launch on startup", launchOnStartupFlag);
    launchItem->setChecked(launchOnStartupFlag);
}

void AppDelegate::launchAction(QAction* sender) {
    launchOnStartupFlag = !launchOnStartupFlag;
    sender->setChecked(launchOnStartupFlag);
    if (!setLaunchAtStartup(launchOnStartupFlag)) {
        // Show and keep what the desktop will really do.
        launchOnStartupFlag = LoginItem::isEnabled();
        sender->setChecked(launchOnStartupFlag);
    }
    // Records the choice; a failed write has said why, and the menu follows the desktop.
    static_cast<void>(defaults.setBool(StoreKeys::launchOnStartup, launchOnStartupFlag));
}

void AppDelegate::exportAction() {
    Console::printLine("Tasks");
    if (vc) {
        vc->performSegue(QStringLiteral("alltasks"));
    }
}

void AppDelegate::unsnoozeAction() {
    Console::printLine("unsnooze");
    if (vc) {
        vc->unsnoozeAll();
    }
}

bool AppDelegate::setLaunchAtStartup(bool enabled) {
    Console::printLine("setting launch:", enabled);
    Console::printLine(QStringLiteral("Launch on Startup is ") +
                       (launchOnStartupFlag ? QStringLiteral("ON") : QStringLiteral("OFF")));
    if (const auto error = LoginItem::setEnabled(enabled, executablePath)) {
        Console::printLine("Start at login could not be",
                           enabled ? "enabled:" : "disabled:", *error);
        return false;
    }
    Console::printLine("()");
    return true;
}

void AppDelegate::applicationStateChanged(Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive) {
        Console::printLine("applicationDidBecomeActive");
    } else if (state == Qt::ApplicationInactive) {
        Console::printLine("applicationDidResignActive");
    }
}

void AppDelegate::showPanel() {
    if (vc) {
        vc->activateApplication(ViewController::Activation::TakeFocus);
    }
}
