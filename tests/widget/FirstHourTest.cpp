// What a new user meets in the first hour: a refused shortcut said on the panel, the
// settings window above the panel, and safe snoozed tasks.
#include "PanelFixture.h"
#include "panel/SettingsVC.h"

#include <QComboBox>
#include <QDir>
#include <QWindow>

TEST_F(PanelTest, ARefusedShortcutIsNamedOnThePanelOnceAndLeadsToTheSettings) {
    // GNOME holds Control-Alt-T.
    hotKeyService->onRegister = [this](const KeyCombo& combo, EventHotKeyID) {
        hotKeyService->refusing = combo.key() == Key::t;
    };
    start();
    QPushButton* notice = button("noticeButton");
    ASSERT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "Ctrl+Alt+T (Edit all tasks) is taken by another application. "
                              "Change…");
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    window().grab().save(QStringLiteral(SCREENSHOT_DIR "/panel-refused-shortcut.png"));

    QTest::mouseClick(notice, Qt::LeftButton);
    SettingsVC* settings = openWindow<SettingsVC>();
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(notice->isVisible());
    settings->close();
    // Followed once, it stays away even when the key is still refused.
    vc().shortcuts().setup();
    EXPECT_FALSE(notice->isVisible());
}

TEST_F(PanelTest, TheSettingsStayAboveThePanelCloseWithEscapeAndNameATakenKey) {
    start();
    QTest::mouseClick(button("settingsButton"), Qt::LeftButton);
    SettingsVC* settings = openWindow<SettingsVC>();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(settings));
    EXPECT_EQ(settings->windowHandle()->transientParent(), window().windowHandle());

    auto* taken = settings->findChild<QLabel*>("takenLabel");
    QComboBox* addBox = settings->combo(0);
    addBox->setCurrentIndex(7); // H, the hour snooze's key
    emit addBox->activated(7);
    EXPECT_TRUE(taken->isVisible());
    EXPECT_EQ(taken->text(), "H is used by Snooze for an hour");
    addBox->setCurrentIndex(25); // Z is free
    emit addBox->activated(25);
    EXPECT_FALSE(taken->isVisible());

    const QPointer<SettingsVC> closing(settings);
    QTest::keyClick(settings, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());
    EXPECT_FALSE(QFile::exists(home.storeFile("keyIndexes.ints"))) << "Escape saves nothing";
}

TEST_F(PanelTest, NothingToDoSaysHowManyAreSnoozedAndWhenTheFirstIsBack) {
    DBManager::saveTaskList({makeSnoozed("later", 1, Date{startTime + 7200}),
                             makeSnoozed("much later", 2, Date{startTime + 90000}),
                             makeSnoozed("no end", 3, std::nullopt)});
    start();
    // The three hints come first; each goes with its action.
    vc().addAction(button("addButton"));
    typeAndCommit(QString());
    vc().doneAction(button("doneButton"));
    vc().snoozeTask(button("hourButton"), 1);
    const QDateTime back =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(Date{startTime + 7200}.unixSeconds()));
    EXPECT_EQ(taskText()->text(), "Nothing to do · 3 snoozed, next back at " +
                                      QLocale().toString(back.time(), QLocale::ShortFormat));
}
