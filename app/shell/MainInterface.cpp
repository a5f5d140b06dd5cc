#include "shell/MainInterface.h"

#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "cli/SyncCommands.h"
#include "help/HelpVC.h"
#include "panel/GeneralSettingsView.h"
#include "panel/SettingsVC.h"
#include "panel/SyncSettingsView.h"
#include "shell/PanelActions.h"
#include "shortcuts/AssignableKeys.h"
#include "store/DBManager.h"
#include "store/PreferenceStore.h"
#include "support/Console.h"
#include "sync/SyncModule.h"

#include <QKeySequence>
#include <QShortcut>

namespace {

// The keys of the stored assignment, as the help page names them.
HelpPage::ShortcutKeyNames assignedKeyNames() {
    const std::vector<std::int64_t> assignment = DBManager::getKeys();
    HelpPage::ShortcutKeyNames names;
    for (std::size_t action = 0; action < names.size(); ++action) {
        names[action] =
            description(AssignableKeys::all()[static_cast<std::size_t>(assignment[action])]);
    }
    return names;
}

ViewController::Environment withWindows(ViewController::Environment environment,
                                        WindowRegistry& windows) {
    environment.windows = &windows;
    return environment;
}

} // namespace

MainInterface::MainInterface(ViewController::Environment environment, Clock clock,
                             const QString& executable)
    : clock_(std::move(clock))
    , board_(clock_)
    , feed_(board_)
    // The sync module is loaded at the first sync or search, from beside `executable`.
    , syncService_(board_, std::make_shared<SyncModule>(SyncModule::besideBinary(executable)),
                   PreferenceStore::standard())
    , syncControl_(syncService_, PreferenceStore::standard())
    , windows_({QStringLiteral("settings"), QStringLiteral("alltasks"), QStringLiteral("help")})
    , appDelegate_(executable)
    , controller_(new ViewController(board_, withWindows(std::move(environment), windows_))) {
    panel_.setContentView(controller_);
    addRestoreAction();
    registerWindows();
    connectSignals();
}

MainInterface::~MainInterface() {
    // It works on the task model, which goes with this object.
    delete tasksVC_;
}

void MainInterface::registerWindows() {
    windows_.registerWindow(QStringLiteral("alltasks"), [this] {
        tasksVC_ = new TasksVC(board_, {.clock = clock_});
        tasksVC_->addAction(restoreRemoved_);
        // Help is one key away from every window, as from the panel.
        QObject::connect(new QShortcut(QKeySequence::HelpContents, tasksVC_), &QShortcut::activated,
                         controller_, &ViewController::helpAction);
        return tasksVC_.data();
    });
    windows_.registerWindow(QStringLiteral("settings"), [this] {
        DesktopShortcuts desktop;
        if (HotKeysController::bindsLater()) {
            desktop.trigger = [this](ShortcutAction action) {
                const std::shared_ptr<HotKey>& key = controller_->shortcuts().hotKey(action);
                return key ? HotKeysController::trigger(*key) : QString();
            };
        }
        if (HotKeysController::canConfigure()) {
            desktop.configure = &HotKeysController::configure;
        }
        auto* settings = new SettingsVC(
            [this](ShortcutAction action) { return controller_->shortcuts().isLive(action); },
            controller_, std::move(desktop));
        QObject::connect(settings, &SettingsVC::keysSaved, &controller_->shortcuts(),
                         &ShortcutBinder::keysSaved);
        settings->addSection(QStringLiteral("Sync"), new SyncSettingsView(syncControl_));
        settings->addSection(QStringLiteral("General"),
                             new GeneralSettingsView(*appDelegate_.launchMenuItem()));
        return settings;
    });
    windows_.registerWindow(QStringLiteral("help"), [this] {
        auto* help = new HelpVC(assignedKeyNames());
        // A new assignment is named on the open page at once.
        QObject::connect(&controller_->shortcuts(), &ShortcutBinder::changed, help,
                         [help] { help->setKeys(assignedKeyNames()); });
        return help;
    });
}

void MainInterface::connectSignals() {
    // Queued, so the alert or menu that asked has closed before the loop ends.
    QObject::connect(controller_, &ViewController::quitRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&appDelegate_, &AppDelegate::quitRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&panel_, &PBWindow::closeRequested, controller_,
                     [this] { controller_->activation().hide(); });
    // The panel first: the tray icon can wait until it is on screen.
    QObject::connect(&panel_, &PBWindow::presented, &appDelegate_, &AppDelegate::showTrayIcon);

    // The main menu: shown by the tray icon and as the panel's context menu.
    controller_->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        controller_, &QWidget::customContextMenuRequested, &appDelegate_,
        [this](const QPoint& at) { appDelegate_.mainMenu().popup(controller_->mapToGlobal(at)); });
    QObject::connect(&appDelegate_, &AppDelegate::tasksWindowRequested, controller_,
                     &ViewController::allTasksAction);
    QObject::connect(&appDelegate_, &AppDelegate::unsnoozeAllRequested, controller_,
                     &ViewController::unsnoozeAll);
    QObject::connect(&appDelegate_, &AppDelegate::panelRequested, controller_, [this] {
        controller_->activation().activate(AppActivation::Mode::TakeFocus);
    });
    addSyncMenuItem();
}

// "Sync now", above the menu's last part, while an account is set up.
void MainInterface::addSyncMenuItem() {
    QMenu& menu = appDelegate_.mainMenu();
    auto* item = new QAction(QStringLiteral("Sync now"), &menu);
    const QList<QAction*> actions = menu.actions();
    const auto separator = std::find_if(actions.begin(), actions.end(),
                                        [](const QAction* a) { return a->isSeparator(); });
    menu.insertAction(separator == actions.end() ? nullptr : *separator, item);
    const auto showItem = [this, item] { item->setVisible(syncControl_.account().has_value()); };
    showItem();
    QObject::connect(&syncControl_, &SyncControl::accountChanged, item, showItem);
    QObject::connect(item, &QAction::triggered, &syncControl_, [this] { syncControl_.syncNow(); });
}

void MainInterface::addRestoreAction() {
    restoreRemoved_ = new QAction(&syncControl_);
    restoreRemoved_->setObjectName(QStringLiteral("restoreRemovedBySync"));
    const auto update = [this] {
        const qsizetype kept = syncService_.removedKept();
        restoreRemoved_->setText(QStringLiteral("Bring Back Tasks Removed by Sync (%1)").arg(kept));
        restoreRemoved_->setVisible(kept > 0);
    };
    update();
    QObject::connect(&syncService_, &SyncService::removedChanged, restoreRemoved_, update);
    QObject::connect(restoreRemoved_, &QAction::triggered, &syncControl_,
                     [this] { Console::printLine(syncControl_.restoreRemoved().message); });
}

void MainInterface::launch() {
    appDelegate_.applicationDidFinishLaunching();
    panel_.restorePosition();
    panel_.show();
    feed_.startPolling();
    syncControl_.resume();
}

// Answers `id` once the sync just asked for ends, or once sync stops before it ran.
void MainInterface::answerWithSync(const QByteArray& id) {
    const unsigned wanted = syncService_.requestedSync();
    auto* waiting = new QObject(&syncService_);
    const auto answer = [this, waiting, id](const ActionReply& reply) {
        answerLater_(id, reply);
        waiting->deleteLater();
    };
    QObject::connect(&syncService_, &SyncService::syncFinished, waiting, [this, wanted, answer] {
        if (syncService_.ended() >= wanted) {
            answer({syncService_.succeeded(), syncService_.status()});
        }
    });
    QObject::connect(&syncControl_, &SyncControl::accountChanged, waiting, [this, answer] {
        if (!syncService_.isActive()) {
            answer({false, QStringLiteral("Sync stopped before this sync ran")});
        }
    });
}

std::vector<ActionReply> MainInterface::answer(const std::vector<ActionRequest>& requests) {
    std::vector<ActionReply> replies;
    {
        const TaskBoard::Batch batch(board_);
        for (const ActionRequest& request : requests) {
            replies.push_back(SyncCommands::isSyncRequest(request)
                                  ? SyncCommands::answer(syncControl_, request)
                                  : PanelActions::run(*controller_, request));
            if (replies.back().done && SyncCommands::startsASync(request) && answerLater_) {
                answerWithSync(request.id);
                replies.back().pending = true;
            }
        }
    }
    if (!board_.saveFailure().isEmpty()) {
        for (std::size_t i = 0; i < replies.size(); ++i) {
            replies[i] = PanelActions::notStored(requests[i], replies[i], board_.saveFailure());
        }
    }
    return replies;
}
