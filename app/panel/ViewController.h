#pragma once

#include "panel/AppActivation.h"
#include "platform/Focus.h"
#include "shortcuts/ShortcutBinder.h"
#include "store/ShortcutAction.h"

#include <QFont>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HighlightView;
class QAbstractButton;
class TaskBoard;
class TitleButton;
class WindowRegistry;

namespace Ui {
class ViewController;
}

// What the panel takes from its surroundings; tests replace any of it.
struct PanelEnvironment {
    std::shared_ptr<FocusService> focus = makeDesktopFocusService();
    std::chrono::milliseconds refreshInterval = std::chrono::seconds(60);
    // Where the panel's transitions open their windows; none opens without it.
    WindowRegistry* windows = nullptr;
};

// The main panel: a view of the task model. It shows the item to do now, forwards its
// buttons and the global shortcuts to the model, flashes the highlight over the button
// that acted and fits the text's font. The shortcuts' binding and the application's
// activation and focus are its parts, reachable for the shell.
class ViewController : public QWidget {
    Q_OBJECT
public:
    using Environment = PanelEnvironment;

    static constexpr double taskFontSize = 15;
    static constexpr double smallFontSize = 10;
    static constexpr double minimumFontSize = 9;
    // The input line counts down once fewer characters than this are left.
    static constexpr qsizetype charactersLeftShownBelow = 20;

    // Builds the panel from its layout resource and loads `board`, which must outlive it.
    explicit ViewController(TaskBoard& board, Environment environment = {},
                            QWidget* parent = nullptr);
    ~ViewController() override;

    TaskBoard& board() const { return board_; }
    std::optional<std::size_t> currentTask() const;
    bool systemMessageActive() const;
    bool addMode() const { return adding_; }
    const QTimer& hideTimer() const { return hideTimer_; }

    // The selection pass, and the panel showing its choice.
    void setCurrentTask();
    void setButtons(bool enabled);

    // Actions; `sender` is the pressed button, over which the highlight flashes.
    void addAction(QAbstractButton* sender);
    void textAction();
    // Leaves add mode without adding: the typed text waits for the next Add, and the panel
    // shows the item to do now again.
    void leaveAddMode();
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
    // Opens the window of a transition ("help", "alltasks", "settings").
    void performSegue(const QString& identifier);

    AppActivation& activation() { return activation_; }
    const AppActivation& activation() const { return activation_; }

    // The points from a font that fits `measuredWidth` into a field `fieldWidth` wide.
    static double fittedPointSize(double measuredWidth, double fieldWidth, double pointSize);

    // The seven global shortcuts, bound to the handlers below.
    ShortcutBinder& shortcuts() { return shortcuts_; }
    const ShortcutBinder& shortcuts() const { return shortcuts_; }

    // What each global shortcut does.
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
    void viewDidLoad();
    void viewDidAppear();
    void installShortcutHandlers();
    void connectActions();
    // The titles, naming the keys of the assignment last bound.
    void setTitles();
    // The notice naming a shortcut the desktop refused, until it is followed or every
    // shortcut works; shown once a run.
    void showRefusedShortcutNotice();

    // Shows the item the model chose.
    void showCurrentItem();
    void setNoTask();
    QString nothingToDoText() const;
    void showText(const QString& text, const QString& colorName);
    void applyNamedColors();
    void adjustFontSizeToFitTextField();

    std::function<void()>& keyFunction(ShortcutAction action);
    TitleButton* actionButton(ShortcutAction action) const;

    void placeHighlight(QAbstractButton* sender);
    void highlightOn();
    void highlightOff();
    void highlightFlash();

    // The snooze button of `action`, then the focus back.
    void snoozeAction(ShortcutAction action, QAbstractButton* sender);
    // The snooze behind one of the H, 1, 2 and W shortcuts.
    void snoozeShortcut(QAbstractButton* button, double hours);
    void clearKeyboardFocus();
    void showAfterHide();

    enum class Pan { Began, Changed, Ended };
    void viewPanned(Pan state, QPointF translation);

    TaskBoard& board_;
    Environment env_;
    std::unique_ptr<Ui::ViewController> ui_;
    HighlightView* highlightView_;
    bool adding_ = false;
    // The refused-shortcut notice was followed: it does not come back this run.
    bool noticeFollowed_ = false;
    // Text typed before add mode was left without a commit.
    QString draft_;

    AppActivation activation_;
    ShortcutBinder shortcuts_;
    QTimer hideTimer_;
    QTimer refreshTimer_;

    QFont originalFont_;
    QSizeF maxSize_;
    QRect screenArea_;
    QPoint panStart_;
    QPointF lastPanPosition_;
    QPointF pressOffset_;
    bool pressed_ = false;
    bool panning_ = false;
    bool firstTime_ = true;

    // The colours of the shown text by name, so they follow the appearance.
    QString textColorName_;
    QString accentColorName_;
};
