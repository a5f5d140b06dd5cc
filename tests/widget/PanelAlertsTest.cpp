// The hide and quit confirmations, answered as a user would.
#include "PanelFixture.h"

#include <QDialogButtonBox>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStyleFactory>

namespace {

// Fires a pending one-shot timer now instead of after its interval.
void fireNow(const QTimer& timer) {
    QMetaObject::invokeMethod(const_cast<QTimer*>(&timer), "timeout");
}

// A desktop whose dialogs order their buttons by its own convention.
class ButtonLayoutStyle : public QProxyStyle {
public:
    explicit ButtonLayoutStyle(QDialogButtonBox::ButtonLayout layout)
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
        , layout_(layout) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        return hint == SH_DialogButtonLayout
                   ? layout_
                   : QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QDialogButtonBox::ButtonLayout layout_;
};

} // namespace

class AlertLayoutTest : public PanelTest,
                        public testing::WithParamInterface<QDialogButtonBox::ButtonLayout> {};

TEST_P(AlertLayoutTest, ButtonsStayInTheirGivenOrderOnScreen) {
    const QString before = QApplication::style()->name();
    QApplication::setStyle(new ButtonLayoutStyle(GetParam()));
    start();
    const auto hide = answerNextAlert("Cancel");
    vc().hideAction();
    EXPECT_EQ(hide->buttons, (QStringList{"1 Hour", "6 Hours", "12 Hours", "Cancel"}));
    const auto quit = answerNextAlert("Cancel");
    vc().quitAction();
    EXPECT_EQ(quit->buttons, (QStringList{"OK", "Cancel"}));
    QApplication::setStyle(before);
}

INSTANTIATE_TEST_SUITE_P(EveryDesktop, AlertLayoutTest,
                         testing::Values(QDialogButtonBox::WinLayout, QDialogButtonBox::MacLayout,
                                         QDialogButtonBox::KdeLayout, QDialogButtonBox::GnomeLayout,
                                         QDialogButtonBox::AndroidLayout));

struct HideCase {
    const char* choice;
    int seconds;
};

void PrintTo(const HideCase& c, std::ostream* os) {
    *os << c.choice;
}

class HideLength : public PanelTest, public testing::WithParamInterface<HideCase> {};

TEST_P(HideLength, HidesThenComesBackWithoutTheFocus) {
    const auto& [choice, seconds] = GetParam();
    start();
    const auto alert = answerNextAlert(choice);
    const std::string out =
        printed([&] { QTest::mouseClick(button("hideButton"), Qt::LeftButton); });
    ASSERT_TRUE(alert->answered);
    EXPECT_EQ(alert->text, QStringLiteral("Hide Quenby"));
    EXPECT_EQ(alert->informativeText,
              QStringLiteral("This will hide Quenby for a period of time, to show it again "
                             "immediately just use a shortcut like Add Task (Ctrl+Alt+A)"));
    EXPECT_EQ(alert->icon, QMessageBox::Question) << "a choice, not a fault";
    EXPECT_EQ(out, std::to_string(1000 + alert->buttons.indexOf(choice)) + "\n");
    EXPECT_TRUE(vc().isApplicationHidden());
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(vc().hideTimer().isActive());
    EXPECT_TRUE(vc().hideTimer().isSingleShot());
    EXPECT_EQ(vc().hideTimer().interval(), seconds * 1000);

    // The timer fires: the panel is back and the other application keeps the keyboard.
    focus->active = 31;
    fireNow(vc().hideTimer());
    EXPECT_FALSE(vc().isApplicationHidden());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(focus->activated, std::vector<FocusService::WindowId>{31});

    // Appearing again stops a pending reappearance.
    answerNextAlert(choice);
    vc().hideAction();
    vc().activateApplication(ViewController::Activation::TakeFocus);
    EXPECT_FALSE(vc().hideTimer().isActive());
}

INSTANTIATE_TEST_SUITE_P(EveryLength, HideLength,
                         testing::Values(HideCase{"1 Hour", 3600}, HideCase{"6 Hours", 21600},
                                         HideCase{"12 Hours", 43200}));

TEST_F(PanelTest, HideCancelledStaysAndHandsTheFocusBack) {
    start();
    answerNextAlert("Cancel");
    EXPECT_EQ(printed([&] { vc().hideAction(); }), "1003\nCancel\n");
    EXPECT_FALSE(vc().isApplicationHidden());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(vc().hideTimer().interval(), 0);
    focus->active = 4;
    QTest::qWait(20);
    EXPECT_FALSE(vc().hideTimer().isActive());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(focus->activated, std::vector<FocusService::WindowId>{4});
}

TEST_F(PanelTest, QuitAsksFirst) {
    start();
    QSignalSpy quit(&vc(), &ViewController::quitRequested);
    const auto cancelled = answerNextAlert("Cancel");
    QTest::mouseClick(button("quitButton"), Qt::LeftButton);
    ASSERT_TRUE(cancelled->answered);
    EXPECT_EQ(cancelled->text, QStringLiteral("Quit"));
    EXPECT_EQ(cancelled->informativeText, QStringLiteral("Are you sure?"));
    EXPECT_EQ(cancelled->icon, QMessageBox::Question);
    EXPECT_EQ(quit.count(), 0);

    answerNextAlert("OK");
    vc().quitAction();
    EXPECT_EQ(quit.count(), 1);
}
