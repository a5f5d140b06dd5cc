#include "shell/AppDelegate.h"

#include "store/StoreKeys.h"
#include "support/Console.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace {
QIcon applicationIcon() {
    QIcon icon;
    // A tray of 16 to 24 pixels gets the small design, not a blurred scaling of the large.
    for (const int size : {16, 22, 24, 32, 64}) {
        // Qt's own PNG reader, named: a reader left to detect the format loads every image
        // plugin (about 200 kB) to ask whether it reads PNG.
        QImageReader reader(QStringLiteral(":/icons/quenby-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}
} // namespace

AppDelegate::AppDelegate(const QString& executable, QObject* parent)
    : QObject(parent)
    , defaults_(PreferenceStore::standard())
    , launcher_(LoginItem::launcherFor(executable)) {
    launchItem_ = menu_.addAction(QStringLiteral("Start at Login"));
    launchItem_->setCheckable(true);
    connect(launchItem_, &QAction::triggered, this, [this] { launchAction(launchItem_); });
    connect(menu_.addAction(QStringLiteral("Edit Tasks…")), &QAction::triggered, this,
            &AppDelegate::exportAction);
    connect(menu_.addAction(QStringLiteral("Unsnooze All")), &QAction::triggered, this,
            &AppDelegate::unsnoozeAction);
    menu_.addSeparator();
    connect(menu_.addAction(QStringLiteral("Quit Quenby")), &QAction::triggered, this,
            &AppDelegate::quitRequested);

    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &AppDelegate::applicationStateChanged);
}

void AppDelegate::showTrayIcon() {
    // Shown even without a tray: the icon docks when one appears.
    if (tray_ || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        return;
    }
    const QIcon icon = applicationIcon();
    QGuiApplication::setWindowIcon(icon);
    tray_ = new QSystemTrayIcon(icon, this);
    tray_->setToolTip(QStringLiteral("Quenby"));
    tray_->setContextMenu(&menu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) {
            emit panelRequested();
        }
    });
    tray_->show();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    // Once per installation: a mark that is there but unreadable was set before.
    const auto startupSet = defaults_.boolean(StoreKeys::startupSet);
    if (startupSet ? !*startupSet
                   : !defaults_.contains(StoreKeys::startupSet, PreferenceStore::Kind::Boolean)) {
        const bool registered = setLaunchAtStartup(true);
        // The flags only record; a failed write has said why.
        static_cast<void>(defaults_.setBool(StoreKeys::startupSet, true));
        static_cast<void>(defaults_.setBool(StoreKeys::launchOnStartup, registered));
    }
    // An entry for a build tree's binary, or one an older version wrote without TryExec, starts
    // the installed binary from now on: the first start after installing puts it right.
    if (LoginItem::isStale(launcher_)) {
        if (const auto error = LoginItem::correct(launcher_)) {
            Console::printLine("Start at login could not be corrected:", *error);
        } else {
            Console::printLine("Start at login now starts", launcher_.program);
        }
    }
    // The menu shows what the desktop will do at login: whether the entry is there.
    launchOnStartupFlag_ = LoginItem::isEnabled();
    Console::printLine("launch on startup", launchOnStartupFlag_);
    launchItem_->setChecked(launchOnStartupFlag_);
}

void AppDelegate::launchAction(QAction* sender) {
    launchOnStartupFlag_ = !launchOnStartupFlag_;
    sender->setChecked(launchOnStartupFlag_);
    if (!setLaunchAtStartup(launchOnStartupFlag_)) {
        // Show and keep what the desktop will really do.
        launchOnStartupFlag_ = LoginItem::isEnabled();
        sender->setChecked(launchOnStartupFlag_);
    }
    // Records the choice; a failed write has said why, and the menu follows the desktop.
    static_cast<void>(defaults_.setBool(StoreKeys::launchOnStartup, launchOnStartupFlag_));
}

void AppDelegate::exportAction() {
    Console::printLine("Tasks");
    emit tasksWindowRequested();
}

void AppDelegate::unsnoozeAction() {
    Console::printLine("unsnooze");
    emit unsnoozeAllRequested();
}

bool AppDelegate::setLaunchAtStartup(bool enabled) {
    Console::printLine("setting launch:", enabled);
    Console::printLine(QStringLiteral("Launch on Startup is ") +
                       (launchOnStartupFlag_ ? QStringLiteral("ON") : QStringLiteral("OFF")));
    if (const auto error = LoginItem::setEnabled(enabled, launcher_)) {
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
