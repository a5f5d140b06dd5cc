// The task list's table: its orders, texts and colours, and how it follows the task model.
#include "TasksVCFixture.h"
#include "help/HelpBrowser.h"
#include "help/HelpVC.h"
#include "ui/Appearance.h"
#include "ui/NamedColors.h"

#include <QAbstractItemModelTester>

namespace {

constexpr double day = 86400;

} // namespace

// Reached by clicks on the titles: a first click sorts a column ascending, the next flips it.
TEST_F(TasksVCTest, HeaderClicksSortByColumnAndShowTheIndicator) {
    // Created in this order; names that tell code-point order from UTF-16 order and from the
    // order of unnormalised text.
    open({makeSnoozed("b", 10, Date{startTime + 300}),
          markedDone(makeTask("B", 20), Date{startTime - 50}),
          makeSnoozed("a", 30, Date{startTime + 100}), makeTask(QStringLiteral("e\u0301"), 40),
          markedDone(makeTask("f", 50), Date{startTime - 10}),
          makeTask(QStringLiteral("\uFB01"), 60), makeTask(QStringLiteral("\U0001D49C"), 70)});
    // The names in the order shown (in NFC, space-separated) after each click: by each column
    // ascending, then descending; by the snooze end, dated first, then the undated ones in
    // reverse stored order. The first is the order the list opens with.
    const char* orders[] = {"b B a é f ﬁ 𝒜", "𝒜 ﬁ f é a B b", "B a b f é ﬁ 𝒜", "𝒜 ﬁ é f b a B",
                            "a b 𝒜 ﬁ f é B", "B é f ﬁ 𝒜 b a", "B f 𝒜 ﬁ é a b", "b a é ﬁ 𝒜 f B"};
    for (int step = 0; step < 8; ++step) {
        const int column = step / 2;
        const bool ascending = step % 2 == 0;
        QHeaderView* header = table().horizontalHeader();
        if (step > 0) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              {header->sectionViewportPosition(column) + 5, header->height() / 2});
        }
        EXPECT_EQ(rowNames().join(u' ').normalized(QString::NormalizationForm_C),
                  QString::fromUtf8(orders[step]))
            << step;
        EXPECT_EQ(std::tuple(list->sortColumn(), list->ascending(), header->sortIndicatorSection(),
                             header->sortIndicatorOrder()),
                  std::tuple(column, ascending, column,
                             ascending ? Qt::AscendingOrder : Qt::DescendingOrder))
            << step;
    }
}

TEST_F(TasksVCTest, CellColoursFollowTheTaskAndTheAppearanceAndTheTableFollowsThePanel) {
    open({makeTask("plain", 1), makeSnoozed("later", 2, Date{startTime + day}),
          markedDone(makeSnoozed("both", 3, Date{startTime + day}), Date{3})});
    for (const auto scheme : {Appearance::Scheme::Light, Appearance::Scheme::Dark}) {
        Appearance::shared().setPortalScheme(scheme);
        const char* names[] = {"task", "taskSnoozed", "taskDone"};
        for (int cell = 0; cell < 12; ++cell) {
            EXPECT_EQ(table().model()->index(cell / 4, cell % 4).data(Qt::ForegroundRole),
                      QBrush(*NamedColors::color(names[cell / 4], scheme)));
        }
        const QString file =
            scheme == Appearance::Scheme::Dark ? "tasklist-dark.png" : "tasklist-light.png";
        const QImage image = screenshot(*list, SCREENSHOT_DIR "/" + file);
        // Beside the date of a row neither current nor selected, the table shows its background.
        const QPoint blank = table().viewport()->mapTo(
            list, QPoint(table().columnViewportPosition(0) + table().columnWidth(0) - 4,
                         table().rowViewportPosition(2) + 1));
        EXPECT_EQ(image.pixelColor(blank), NamedColors::color("bg", scheme)) << file.toStdString();
    }
    Appearance::shared().setPortalScheme(std::nullopt);
    // A selected row writes its index once per cell as it is drawn.
    select({1});
    EXPECT_EQ(printed([&] { table().viewport()->repaint(); }), "1\n1\n1\n1\n");

    // The table follows the panel and keeps the selected task.
    QAbstractItemModelTester tester(table().model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    board().replaceTasks({makeTask("older", 1), makeTask("newer", 2)});
    list->mouseDownInHeaderOf(0); // newest first
    select({1});
    ASSERT_EQ(list->tasks()[1].name, "older");
    vc().doneAction(button("doneButton"));
    EXPECT_FALSE(cell(1, 3).isEmpty()) << "the panel's Done shows at once";
    now = Date{startTime + 5};
    board().addTask("newest");
    EXPECT_EQ(rowNames(), QStringList({"newest", "newer", "older"}));
    EXPECT_EQ(selectedRows(), std::vector<int>{2}) << "the same task stays selected";
    EXPECT_TRUE(editStack()->isVisible());
    board().remove({list->tasks()[2].id});
    EXPECT_TRUE(selectedRows().empty());
    EXPECT_FALSE(editStack()->isVisible());

    // The cells, and the snooze end that enables Unsnooze: empty for a task no longer snoozed
    // but still carrying its end. (The texts of dates: the date helpers' tests.)
    Task t = markedDone(makeTask("report", 1), Date{2});
    t.snoozedUntil = Date{3};
    board().replaceTasks({t});
    EXPECT_EQ(std::pair(QStringList({cell(0, 0), cell(0, 1), cell(0, 2), cell(0, 3)}),
                        list->formattedTask(0).snoozedUntil),
              std::pair(QStringList({getLocalDateTime(t.created), "report", "",
                                     getLocalDateTime(*t.doneDate)}),
                        QString()));
}

// T from a hidden panel, then the button: one window, with the remembered application left
// alone; once closed, the next starts afresh. (A minimized list brought back by T: the e2e
// windows.) F1 there opens help (from the panel: the e2e looks), as does the panel's Help link;
// the page names the assigned keys and follows a new assignment.
TEST_F(TasksVCTest, OneWindowOpensFromTheShortcutAndTheButtonAndStartsAfreshEachTime) {
    start();
    const auto shown = &openWindows<TasksVC>;
    focus->active = 8;
    vc().activation().hide();
    vc().keyTFunction();
    ASSERT_EQ(shown().size(), 1);
    EXPECT_EQ(std::pair(window().isVisible(), focus->activated.size()),
              std::pair(true, std::size_t{0}));
    QPointer<TasksVC> opened = shown().front();
    QTest::mouseClick(button("allTasksButton"), Qt::LeftButton);
    EXPECT_EQ(shown(), QList<TasksVC*>{opened.data()});
    QApplication::setActiveWindow(opened);
    QTest::keyClick(opened, Qt::Key_F1);
    HelpVC* help = openWindow<HelpVC>();
    ASSERT_NE(help, nullptr) << "F1 in the task list";
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::mouseClick(button("helpButton"), Qt::LeftButton);
    help = openWindow<HelpVC>();
    ASSERT_NE(help, nullptr) << "the Help link";
    const auto page = [help] { return help->webView()->toPlainText(); };
    EXPECT_TRUE(page().contains("Snooze: CTRL + ALT + H, 1, 2 or W")) << page().toStdString();
    DBManager::saveKeys({0, 3, 25, 27, 28, 22, 19});
    vc().shortcuts().setup();
    EXPECT_TRUE(page().contains("Snooze: CTRL + ALT + Z, 1, 2 or W")) << page().toStdString();
    help->close();
    opened->mouseDownInHeaderOf(2);
    opened->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(opened.isNull());
    vc().keyTFunction();
    ASSERT_EQ(shown().size(), 1);
    EXPECT_EQ(std::pair(shown().front()->sortColumn(), shown().front()->ascending()),
              std::pair(0, true));
}
