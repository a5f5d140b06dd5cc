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

// On every desktop's button order: Cancel keeps the panel up and hands the focus back, and
// quitting asks first.
TEST_P(AlertLayoutTest, ButtonsStayInTheirGivenOrderOnScreenAndCancelChangesNothing) {
    const QString before = QApplication::style()->name();
    QApplication::setStyle(new ButtonLayoutStyle(GetParam()));
    start();
    QSignalSpy quit(&vc(), &ViewController::quitRequested);
    focus->active = 4;
    const auto hide = answerNextAlert("Cancel");
    EXPECT_EQ(printed([&] { vc().hideAction(); }), "1003\nCancel\n");
    EXPECT_EQ(hide->buttons, (QStringList{"1 Hour", "6 Hours", "12 Hours", "Cancel"}));
    EXPECT_EQ(vc().hideTimer().interval(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !vc().hideTimer().isActive(); }, 10000));
    EXPECT_EQ(std::tuple(vc().activation().isHidden(), window().isVisible(), focus->activated),
              std::tuple(false, true, std::vector<FocusService::WindowId>{4}));

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
    EXPECT_EQ(std::tuple(alert->text, alert->informativeText, alert->icon),
              std::tuple(QString("Hide Quenby"),
                         QString("This will hide Quenby for a period of time, to show it again "
                                 "immediately just use a shortcut like Add Task (Ctrl+Alt+A)"),
                         QMessageBox::Question))
        << "a choice, not a fault";
    EXPECT_EQ(out, std::to_string(1000 + alert->buttons.indexOf(choice)) + "\n");
    EXPECT_EQ(std::tuple(vc().activation().isHidden(), window().isVisible(),
                         vc().hideTimer().isActive(), vc().hideTimer().isSingleShot(),
                         vc().hideTimer().interval()),
              std::tuple(true, false, true, true, seconds * 1000));

    // The timer fires: the panel is back and the other application keeps the keyboard.
    focus->active = 31;
    fireNow(vc().hideTimer());
    EXPECT_EQ(std::tuple(vc().activation().isHidden(), window().isVisible(), focus->activated),
              std::tuple(false, true, std::vector<FocusService::WindowId>{31}));
    // (Appearing again stops a pending reappearance: the A shortcut while hidden.)
}

INSTANTIATE_TEST_SUITE_P(EveryLength, HideLength,
                         testing::Values(HideCase{"1 Hour", 3600}, HideCase{"6 Hours", 21600},
                                         HideCase{"12 Hours", 43200}));
