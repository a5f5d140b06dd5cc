// The hide and quit confirmations, answered as a user would.
#include "PanelFixture.h"

#include <QDialogButtonBox>
#include <QProxyStyle>
#include <QSignalSpy>

namespace {

// A desktop whose dialogs order their buttons by its own convention.
struct ButtonLayoutStyle : QProxyStyle {
    explicit ButtonLayoutStyle(QDialogButtonBox::ButtonLayout order)
        : QProxyStyle(QStringLiteral("Fusion"))
        , layout(order) {}
    int styleHint(StyleHint hint, const QStyleOption* o, const QWidget* w,
                  QStyleHintReturn* r) const override {
        return hint == SH_DialogButtonLayout ? layout : QProxyStyle::styleHint(hint, o, w, r);
    }
    const QDialogButtonBox::ButtonLayout layout;
};

} // namespace

// On every desktop's button order: a length hides the panel, then it comes back without the
// focus; Cancel keeps it up and hands the focus back; and quitting asks first.
TEST_F(PanelTest, AlertButtonsStayInTheirGivenOrderOnScreenAndHideOrCancelAsChosen) {
    const QString before = QApplication::style()->name();
    // The desktop's order, the choice, and how long the panel hides (none for Cancel).
    const std::tuple<QDialogButtonBox::ButtonLayout, const char*, int> cases[] = {
        {QDialogButtonBox::WinLayout, "Cancel", 0},
        {QDialogButtonBox::MacLayout, "1 Hour", 3600},
        {QDialogButtonBox::KdeLayout, "6 Hours", 21600},
        {QDialogButtonBox::GnomeLayout, "12 Hours", 43200},
        {QDialogButtonBox::AndroidLayout, "Cancel", 0}};
    for (const auto& [layout, choice, seconds] : cases) {
        SCOPED_TRACE(testing::Message() << layout << ' ' << choice);
        const bool hides = seconds > 0;
        QApplication::setStyle(new ButtonLayoutStyle(layout));
        start();
        QSignalSpy quit(&vc(), &ViewController::quitRequested);
        focus->active = 4;
        focus->activated.clear();
        const auto hide = answerNextAlert(choice);
        const std::string out =
            printed([&] { QTest::mouseClick(button("hideButton"), Qt::LeftButton); });
        ASSERT_TRUE(hide->answered);
        EXPECT_EQ(std::tuple(hide->buttons, hide->text, hide->informativeText, hide->icon),
                  std::tuple(QStringList{"1 Hour", "6 Hours", "12 Hours", "Cancel"},
                             QString("Hide Quenby"),
                             QString("This will hide Quenby for a period of time, to show it "
                                     "again immediately just use a shortcut like Add Task "
                                     "(Ctrl+Alt+A)"),
                             QMessageBox::Question))
            << "a choice, not a fault";
        EXPECT_EQ(out, std::to_string(1000 + hide->buttons.indexOf(choice)) + "\n" +
                           (hides ? "" : "Cancel\n"));
        EXPECT_EQ(std::tuple(vc().activation().isHidden(), window().isVisible(),
                             vc().hideTimer().isActive(), vc().hideTimer().isSingleShot(),
                             vc().hideTimer().interval()),
                  std::tuple(hides, !hides, true, true, seconds * 1000));
        // The timer fires now: the panel is up and the other application keeps the keyboard.
        if (hides) {
            focus->active = 31;
            QMetaObject::invokeMethod(const_cast<QTimer*>(&vc().hideTimer()), "timeout");
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return hides || !vc().hideTimer().isActive(); }, 10000));
        EXPECT_EQ(std::tuple(vc().activation().isHidden(), window().isVisible(), focus->activated),
                  std::tuple(false, true, std::vector<FocusService::WindowId>{hides ? 31u : 4u}));
        // (Appearing again stops a pending reappearance: the A shortcut while hidden.)

        const auto cancelled = answerNextAlert("Cancel");
        QTest::mouseClick(button("quitButton"), Qt::LeftButton);
        ASSERT_TRUE(cancelled->answered);
        EXPECT_EQ(std::tuple(cancelled->buttons, cancelled->text, cancelled->informativeText,
                             cancelled->icon, quit.count()),
                  std::tuple(QStringList{"OK", "Cancel"}, QString("Quit"), QString("Are you sure?"),
                             QMessageBox::Question, 0));
        answerNextAlert("OK");
        vc().quitAction();
        EXPECT_EQ(quit.count(), 1);
    }
    QApplication::setStyle(before);
}
