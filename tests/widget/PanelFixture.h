#pragma once

#include "panel/PBWindow.h"
#include "panel/TaskTextField.h"
#include "panel/ViewController.h"
#include "shell/MainInterface.h"
#include "store/DBManager.h"
#include "tests/support/Builders.h"
#include "tests/support/FakeFocus.h"
#include "tests/support/FakeHotKeyService.h"
#include "tests/support/FileUtil.h"
#include "tests/support/Printed.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/WhenUp.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

// What a modal alert showed and which button the test chose.
struct AlertSeen {
    QString text;
    QString informativeText;
    // Their titles from left to right on the screen.
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool answered = false;
};

// The buttons' titles as the user sees them: left to right on the screen.
inline QStringList titlesLeftToRight(QList<QAbstractButton*> buttons) {
    std::ranges::sort(buttons, {}, [](QAbstractButton* b) { return b->mapToGlobal(QPoint()).x(); });
    QStringList titles;
    std::ranges::transform(buttons, std::back_inserter(titles), &QAbstractButton::text);
    return titles;
}

// Clicks the window's button titled `title` (mnemonic aside); false when it has none.
inline bool clickTitled(QWidget* window, const QString& title) {
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (b->text().remove(u'&') == title) {
            b->click();
            return true;
        }
    }
    return false;
}

// The widget's picture once the events a change posted (palette, layout, paint) have run;
// kept as `file` for review.
inline QImage screenshot(QWidget& widget, const QString& file) {
    QCoreApplication::sendPostedEvents();
    const QImage image = widget.grab().toImage();
    QDir().mkpath(QFileInfo(file).path());
    EXPECT_TRUE(image.save(file)) << file.toStdString();
    return image;
}

// Answers the next modal alert with the button titled `choice` once it is up.
inline std::shared_ptr<AlertSeen> answerNextAlert(const QString& choice) {
    auto seen = std::make_shared<AlertSeen>();
    whenUp<QMessageBox>([seen, choice](QMessageBox* box) {
        *seen = {box->text(), box->informativeText(), titlesLeftToRight(box->buttons()),
                 box->icon(), false};
        seen->answered = clickTitled(box, choice);
    });
    return seen;
}

// A panel on a temporary store, with a clock and a focus service the test controls.
class PanelTest : public ::testing::Test {
protected:
    // An alert nobody answers would block the test run; fail it instead.
    PanelTest() {
        // As main() does at start-up, once per process.
        [[maybe_unused]] static const bool fonts = (Fonts::registerApplicationFonts(), true);
        // The panel's global shortcuts go to a fake desktop the test can inspect and press.
        auto service = std::make_unique<FakeHotKeyService>();
        hotKeyService = service.get();
        HotKeysController::setService(std::move(service));
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "an unexpected modal window was left open";
                modal->close();
            }
        });
        watchdog.start(15000);
    }

    static constexpr double startTime = 800'000'000; // early 2026

    ViewController::Environment environment() { return {.focus = focus}; }

    // Loads the panel from the store as it stands and shows it.
    void start(ViewController::Environment env) {
        app.reset(); // the old panel lets go of the store first
        app = std::make_unique<MainInterface>(std::move(env), [this] { return now; });
        controller = &app->viewController();
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        QCoreApplication::processEvents();
    }
    void start() { start(environment()); }
    // The panel on a store that holds `tasks` and, when given, `messages`.
    void startWith(const std::vector<Task>& tasks,
                   const std::vector<SystemMessage>& messages = {}) {
        DBManager::saveTaskList(tasks);
        if (!messages.empty()) {
            DBManager::saveSystemMessages(messages);
        }
        start();
    }

    ViewController& vc() { return *controller; }
    TaskBoard& board() { return app->board(); }
    PBWindow& window() { return app->panelWindow(); }
    QPushButton* button(const char* name) const {
        return controller->findChild<QPushButton*>(QLatin1String(name));
    }
    TaskTextField* taskText() const { return controller->findChild<TaskTextField*>("taskText"); }
    QLabel* hintLabel() const { return controller->findChild<QLabel*>("hintLabel"); }
    QWidget* highlight() const { return controller->findChild<QWidget*>("highlightView"); }

    // Whether the five task buttons are enabled; nothing when they differ.
    std::optional<bool> taskButtonsEnabled() const {
        std::set<bool> states;
        for (const char* name :
             {"doneButton", "hourButton", "oneDayButton", "twoDayButton", "weekButton"}) {
            states.insert(button(name)->isEnabled());
        }
        return states.size() == 1 ? std::optional(*states.begin()) : std::nullopt;
    }
    // The visible top-level windows of type W; the first of them, if one is open.
    template <typename W> static QList<W*> openWindows() {
        QList<W*> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            found += w->isVisible() ? qobject_cast<W*>(w) : nullptr;
        }
        found.removeAll(nullptr);
        return found;
    }
    template <typename W> static W* openWindow() { return openWindows<W>().value(0); }

    // Types `text` into the input line and commits it with Return.
    void typeAndCommit(const QString& text) {
        taskText()->setText(text);
        QTest::keyClick(taskText(), Qt::Key_Return);
    }

    FakeHotKeyService* hotKeyService = nullptr;
    QTimer watchdog;
    TempConfigHome home;
    Date now{startTime};
    std::shared_ptr<FakeFocus> focus = std::make_shared<FakeFocus>();
    std::unique_ptr<MainInterface> app;
    ViewController* controller = nullptr;
};
