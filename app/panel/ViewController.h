#pragma once

#include "HotKey/HotKey.h"
#include "platform/Focus.h"
#include "store/Models.h"
#include "support/Clock.h"

#include <QFont>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class AppDelegate;
class HighlightView;
class QAbstractButton;

namespace Ui {
class ViewController;
}

// What the panel takes from its surroundings; tests replace any of it.
struct PanelEnvironment {
    Clock now = systemNow;
    std::shared_ptr<FocusService> focus = makeDesktopFocusService();
    std::chrono::milliseconds refreshInterval = std::chrono::seconds(60);
};

// The main panel's controller: owns the task and message lists while the application runs,
// picks the item to show, runs the actions on it, and keeps the panel's looks in step.
class ViewController : public QWidget {
    Q_OBJECT
public:
    using Environment = PanelEnvironment;

    static const QString aHint;
    static const QString dHint;
    static const QString hHint;
    static constexpr double taskFontSize = 15;
    static constexpr double smallFontSize = 10;
    static constexpr double minimumFontSize = 9;
    static constexpr int highlightMs = 300;

    // Builds the panel from its layout resource and loads it; hands itself to `delegate`.
    explicit ViewController(Environment environment = {}, AppDelegate* delegate = nullptr,
                            QWidget* parent = nullptr);
    ~ViewController() override;

    const std::vector<Task>& tasks() const { return taskList; }
    const std::vector<SystemMessage>& systemMessages() const { return messageList; }
    std::optional<size_t> currentTask() const { return current; }
    bool systemMessageActive() const { return messageActive; }
    bool addMode() const { return adding; }
    bool isApplicationHidden() const { return applicationHidden; }
    const QTimer& hideTimer() const { return hideTimerObject; }

    // The selection pass: sort, wake expired snoozes, save, show the item to do now.
    void setCurrentTask();
    void setButtons(bool enabled);

    // Actions; `sender` is the pressed button, over which the highlight flashes.
    void addAction(QAbstractButton* sender);
    void textAction();
    void doneAction(QAbstractButton* sender);
    void hourAction(QAbstractButton* sender);
    void oneDayAction(QAbstractButton* sender);
    void twoDaysAction(QAbstractButton* sender);
    void weekAction(QAbstractButton* sender);
    void snoozeTask(QAbstractButton* sender, double hours);
    void unsnoozeAllAction();
    void unsnoozeAll();
    void hideAction();
    void quitAction();
    bool dialogOKCancel(const QString& question, const QString& text);

    // Navigation.
    void helpAction();
    void allTasksAction();
    void settingsAction();
    void quenbyAction();
    void ctaAction();
    // Opens the window named by a transition identifier ("help", "alltasks", "settings"):
    // the window its factory builds (and prepares) for this panel. Without a factory for
    // the identifier nothing opens.
    using WindowFactory = std::function<QWidget*(ViewController&)>;
    void registerSegue(const QString& identifier, WindowFactory factory);
    void performSegue(const QString& identifier);

    // The application as a whole: hide all its windows, or show them again. `TakeFocus`
    // also gives the panel the keyboard.
    enum class Activation { TakeFocus, LeaveFocus };
    void hideApplication();
    void activateApplication(Activation activation);

    // The points from a font that fits `measuredWidth` into a field `fieldWidth` wide.
    static double fittedPointSize(double measuredWidth, double fieldWidth, double pointSize);

    // The seven global shortcuts from the stored assignment, bound to the handlers below,
    // and the action buttons' titles naming their keys.
    void setupKeys();
    // Drops all seven shortcuts, then sets them up again a moment later.
    void resetKeys();
    // The hot key of an action (0 to 6: A, D, H, 1, 2, W, T); none during a reset.
    const std::shared_ptr<HotKey>& hotKey(int action) const {
        return hotKeys[static_cast<size_t>(action)];
    }
    // Whether the desktop accepted the action's shortcut.
    bool isHotKeyLive(int action) const;

    // What each global shortcut does; the hot keys are bound to these.
    std::function<void()> keyAFunction = [] {};
    std::function<void()> keyDFunction = [] {};
    std::function<void()> keyHFunction = [] {};
    std::function<void()> key1Function = [] {};
    std::function<void()> key2Function = [] {};
    std::function<void()> keyWFunction = [] {};
    std::function<void()> keyTFunction = [] {};

signals:
    // Quit was confirmed: the application should end.
    void quitRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void viewDidLoad(AppDelegate* delegate);
    void viewDidAppear();
    void installShortcutHandlers();
    void connectActions();
    void setTitles();
    void addTutorialTasks();

    void checkSnoozedTasks();
    void setNoTask();
    void showText(const QString& text, const QString& colorName);
    void applyNamedColors();
    void adjustFontSizeToFitTextField();
    bool removeTutorial(const QString& hint);

    void placeHighlight(QAbstractButton* sender);
    void highlightOn();
    void highlightOff();
    void highlightTimer();

    // The snooze behind one of the H, 1, 2 and W shortcuts.
    void snoozeShortcut(QAbstractButton* button, double hours);
    // The branch of the D, H, 1, 2 and W shortcuts while the application is hidden.
    void showAgainKeepingFocus();
    void rememberPreviousApp();
    void revertToPreviousApp();
    void clearKeyboardFocus();
    void showAfterHide();

    enum class Pan { Began, Changed, Ended };
    void viewPanned(Pan state, QPointF translation);

    Environment env;
    std::unique_ptr<Ui::ViewController> ui;
    HighlightView* highlightView;

    std::vector<Task> taskList;
    std::vector<SystemMessage> messageList;
    std::optional<size_t> current;
    bool messageActive = false;
    bool adding = false;

    // hotKeyA, hotKeyD, hotKeyH, hotKey1, hotKey2, hotKeyW, hotKeyT, in action order.
    std::array<std::shared_ptr<HotKey>, 7> hotKeys;
    // The assignment the action titles show; kept to redraw them in another appearance.
    std::vector<std::int64_t> titledAssignment;

    std::optional<FocusService::WindowId> previousApp;
    QTimer hideTimerObject;
    QTimer refreshTimer;
    bool applicationHidden = false;
    QList<QPointer<QWidget>> hiddenWindows;
    // Windows opened through performSegue; the T shortcut opens nothing while one is open.
    QList<QPointer<QWidget>> presentedWindows;
    std::map<QString, WindowFactory> segues;

    QFont originalFont;
    QSizeF maxSize;
    QRect screenArea;
    QPoint panStart;
    QPointF lastPanPosition;
    QPointF pressOffset;
    bool pressed = false;
    bool panning = false;
    bool firstTime = true;

    // The colours of the shown text by name, so they follow the appearance.
    QString textColorName;
    QString accentColorName;
};
