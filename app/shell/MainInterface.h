#pragma once

#include "feed/FeedService.h"
#include "panel/PBWindow.h"
#include "panel/ViewController.h"
#include "platform/ActionRequest.h"
#include "shell/AppDelegate.h"
#include "support/Clock.h"
#include "sync/SyncControl.h"
#include "sync/SyncService.h"
#include "tasklist/TasksVC.h"
#include "tasks/TaskBoard.h"
#include "ui/WindowRegistry.h"

#include <QCoreApplication>
#include <QPointer>

#include <functional>

// The application's objects and the one place they are wired together: the task model,
// the delegate with the main menu, the panel window with its controller, and the windows
// the transitions open.
class MainInterface {
public:
    explicit MainInterface(ViewController::Environment environment = {}, Clock clock = systemNow,
                           const QString& executable = QCoreApplication::applicationFilePath());
    ~MainInterface();
    MainInterface(const MainInterface&) = delete;
    MainInterface& operator=(const MainInterface&) = delete;

    // The delegate's launch steps; then the panel appears where the user left it.
    void launch();

    // The answers to requests from the command line that arrived together: they are applied
    // in order and what they change is stored with one write before any is answered.
    // A request for a sync is answered as pending, and later through `answerLater` with the
    // outcome of the sync that carries it.
    std::vector<ActionReply> answer(const std::vector<ActionRequest>& requests);
    using LateAnswer = std::function<void(const QByteArray& id, const ActionReply& reply)>;
    void setLateAnswers(LateAnswer answerLater) { answerLater_ = std::move(answerLater); }

    TaskBoard& board() { return board_; }
    WindowRegistry& windows() { return windows_; }
    AppDelegate& delegate() { return appDelegate_; }
    PBWindow& panelWindow() { return panel_; }
    ViewController& viewController() { return *controller_; }
    SyncControl& syncControl() { return syncControl_; }

private:
    void registerWindows();
    void connectSignals();
    void addSyncMenuItem();
    void answerWithSync(const QByteArray& id);
    void addRestoreAction();

    Clock clock_;
    TaskBoard board_;
    FeedService feed_;
    SyncService syncService_;
    SyncControl syncControl_;
    WindowRegistry windows_;
    AppDelegate appDelegate_;
    PBWindow panel_;
    ViewController* controller_;
    // "Bring back tasks removed by sync", offered by the task list while there are any.
    QAction* restoreRemoved_ = nullptr;
    // The task list window while it is open; there is only ever one.
    QPointer<TasksVC> tasksVC_;
    LateAnswer answerLater_;
};
