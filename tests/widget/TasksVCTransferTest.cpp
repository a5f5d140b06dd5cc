// Export and import through the CSV module: the dialogs, the file's bytes, the import rules,
// and what is kept and said when a file cannot be written or read.
#include "TasksVCFixture.h"
#include "tests/support/FileFaults.h"

#include <QFileDialog>
#include <QTemporaryDir>

#include <sys/stat.h>

class TasksVCTransferTest : public TasksVCTest {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    // Imports `bytes` as a file through the import button.
    void importBytes(const QByteArray& bytes) {
        ASSERT_TRUE(writeFile(path("in.csv"), bytes));
        dialogs->answer = path("in.csv");
        QTest::mouseClick(listButton("importButton"), Qt::LeftButton);
    }

    QTemporaryDir dir;
};

TEST_F(TasksVCTransferTest, ExportWritesTheHeaderAndOneQuotedTextPerTask) {
    TimeZone cet("CET-1");
    const double at = Date::fromUnixSeconds(1614776709).secondsSinceReferenceDate; // 14:05:09
    now = Date{at + 600}; // before the snooze ends
    open({makeTask("Buy milk", at), makeSnoozed("Say \"hi\", then go", at + 60, Date{at + 7200}),
          makeDone(makeTask("Done thing", at + 120), at + 3600)});
    dialogs->answer = path("out.csv");
    EXPECT_EQ(printed([&] { QTest::mouseClick(listButton("exportButton"), Qt::LeftButton); }),
              "Selected file: " + path("out.csv").toStdString() + "\n");
    ASSERT_EQ(dialogs->saves.size(), 1u);
    EXPECT_EQ(std::pair(dialogs->saves[0].title, dialogs->saves[0].fileTypes),
              std::pair(QString("Choose Export Filename"), QStringList{"csv"}));
    EXPECT_EQ(readFile(path("out.csv")),
              "Created,Task,Snoozed,Done\n"
              "2021-03-03T02:05:09+0100,\"Buy milk\",,\n"
              "2021-03-03T02:06:09+0100,\"Say \"\"hi\"\", then go\",2021-03-03T04:05:09+0100,\n"
              "2021-03-03T02:07:09+0100,\"Done thing\",,2021-03-03T03:05:09+0100");
}

TEST_F(TasksVCTransferTest, ImportRulesAndTheOpenDialog) {
    const Task revived = makeDone(makeSnoozed("Call Bob", 3, Date{startTime + 3600}), 4);
    open({makeTask("Call Bob", 1), revived, makeTask("Milk, eggs", 5)});
    list->mouseDownInHeaderOf(0); // newest first: the done "Call Bob" comes first
    now = Date{startTime + 100};
    importBytes("\"Milk, eggs\",ignored\n  \nCall Bob,x,y\nNew one\nNew one\n,empty first field\n");
    ASSERT_EQ(dialogs->opens.size(), 1u);
    EXPECT_EQ(std::pair(dialogs->opens[0].title, dialogs->opens[0].fileTypes),
              std::pair(QString("Choose Import Filename"), QStringList({"csv", "txt"})));
    const std::vector<Task> stored = DBManager::getTaskList();
    EXPECT_EQ(names(stored), QStringList({"Call Bob", "Milk, eggs", "Call Bob", "  ", "New one"}));
    EXPECT_EQ(stored[0].created, Date{1}) << "only the first match in table order is revived";
    const Task& back = stored[2];
    EXPECT_EQ(
        std::tuple(back.id, back.created, back.isDone, back.doneDate, back.isSnoozed,
                   back.snoozedUntil),
        std::tuple(revived.id, now, false, std::optional<Date>(), false, std::optional<Date>()));
    EXPECT_EQ(std::pair(stored[1].created, stored[4].created), std::pair(now, now));
    EXPECT_EQ(rowNames().size(), 5);
}

// The first line of a file, and whether it is imported as a task.
class TasksVCHeaderTest : public TasksVCTransferTest,
                          public testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(TasksVCHeaderTest, AFirstFieldOfFewerThanSixCharactersIsAHeader) {
    const auto& [first, imported] = GetParam();
    open({});
    importBytes(QByteArray(first) + "\nsecond\n");
    EXPECT_EQ(names(board().tasks()),
              imported ? QStringList({QString::fromUtf8(first), "second"}) : QStringList{"second"});
}

INSTANTIATE_TEST_SUITE_P(Firsts, TasksVCHeaderTest,
                         testing::Values(std::pair("Tasks", false), std::pair("Tasks!", true),
                                         // Five letters with combining accents: 10 code points.
                                         std::pair("e\u0301e\u0301e\u0301e\u0301e\u0301", false),
                                         // Six flags: 12 code points, 6 characters.
                                         std::pair("🇩🇪🇫🇷🇮🇹🇪🇸🇵🇱🇳🇱", true)));

TEST_F(TasksVCTransferTest, AnExportImportedBackBringsBackItsTasksAndCanBeTakenBack) {
    open({makeTask("alpha", 1), makeTask("beta, with a comma", 2)});
    dialogs->answer = path("round.csv");
    list->exportAction();
    board().replaceTasks({makeTask("alpha", 1)});
    now = Date{startTime + 50};
    importBytes(readFile(path("round.csv")) + "\nshort");
    EXPECT_EQ(names(board().tasks()), QStringList({"alpha", "beta, with a comma"}))
        << "neither the header, the dates nor a row without a task column";
    EXPECT_EQ(board().tasks().front().created, now) << "alpha revived";
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList({"alpha"}));
    EXPECT_EQ(DBManager::getTaskList()[0].created, Date{1})
        << "revived tasks come back as they were";
}

TEST_F(TasksVCTransferTest, AFailedExportKeepsThePreviousFileAndSaysWhy) {
    open({makeTask("a task with a name long enough to fill the disk", 1)});
    const QByteArray previous = "the user's previous export\n";
    ASSERT_TRUE(writeFile(path("out.csv"), previous));
    dialogs->answer = path("out.csv");
    const auto seen = answerNextAlert("OK");
    {
        const FileSizeLimit fullDisk(40);
        list->exportAction();
    }
    ASSERT_TRUE(seen->answered);
    EXPECT_TRUE(seen->text.contains(path("out.csv"))) << seen->text.toStdString();
    EXPECT_EQ(seen->informativeText, "File too large");
    EXPECT_EQ(readFile(path("out.csv")), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.csv"}) << "no leftovers";
}

TEST_F(TasksVCTransferTest, FilesThatCannotBeWrittenOrReadChangeNothingAndSaySo) {
    open({makeTask("stays", 1)});
    ASSERT_TRUE(writeFile(path("plain"), "a regular file"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QFile huge(path("huge.csv"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(513LL * 1024 * 1024));
    huge.close();
    ASSERT_TRUE(writeFile(path("locked.csv"), "a task nobody may read"));
    ASSERT_TRUE(QFile::setPermissions(path("locked.csv"), {}));
    const ObeyFilePermissions notEvenRoot;
    const QByteArray store = readFile(home.storeFile("tasksData.data"));
    const std::pair<void (TasksVC::*)(), QString> cases[] = {
        {&TasksVC::exportAction, path("plain/under-a-file.csv")},
        {&TasksVC::importAction, path("missing.csv")},
        {&TasksVC::importAction, path("locked.csv")},
        {&TasksVC::importAction, dir.path()},
        {&TasksVC::importAction, path("fifo")},
        {&TasksVC::importAction, path("huge.csv")}};
    for (const auto& [action, target] : cases) {
        dialogs->answer = target;
        const auto seen = answerNextAlert("OK");
        (list->*action)();
        EXPECT_TRUE(seen->answered) << target.toStdString();
        EXPECT_TRUE(seen->text.contains(target)) << seen->text.toStdString();
        EXPECT_FALSE(seen->informativeText.isEmpty()) << target.toStdString();
        EXPECT_EQ(rowNames(), QStringList{"stays"});
        EXPECT_EQ(readFile(home.storeFile("tasksData.data")), store);
    }
    EXPECT_FALSE(QFile::exists(path("plain/under-a-file.csv")));
    dialogs->answer.reset();
    list->importAction();
    list->exportAction();
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), store) << "cancelled";
}

TEST_F(TasksVCTransferTest, ByteOrderMarkAndTextThatStopsBeingUtf8) {
    open({});
    importBytes("\xEF\xBB\xBF"
                "First task here\n\xEF\xBB\xBF\n\xEF\xBB\xBF"
                "First task here\n");
    EXPECT_EQ(names(board().tasks()), QStringList{"First task here"});
    const auto seen = answerNextAlert("OK");
    importBytes("row one is fine\nrow two too\nbroken \xFF here\nnever read\n");
    EXPECT_EQ(names(DBManager::getTaskList()),
              QStringList({"First task here", "row one is fine", "row two too", "broken "}));
    ASSERT_TRUE(seen->answered);
    EXPECT_TRUE(seen->text.startsWith("Only 3 rows of")) << seen->text.toStdString();
    EXPECT_EQ(seen->informativeText, "The text is not valid UTF-8.");
}

TEST_F(TasksVCTransferTest, TheDesktopFileDialogsShowTheirTitlesAndFilters) {
    const auto desktop = makeDesktopFileDialogs();
    using Seen = std::tuple<QString, QStringList, QFileDialog::AcceptMode, QFileDialog::FileMode,
                            bool, bool>;
    const auto seen = std::make_shared<std::vector<Seen>>();
    const auto answer = [seen](const QString& name) {
        whenUp<QFileDialog>([seen, name](QFileDialog* dialog) {
            seen->emplace_back(dialog->windowTitle(), dialog->nameFilters(), dialog->acceptMode(),
                               dialog->fileMode(), dialog->isSizeGripEnabled(),
                               dialog->filter().testFlag(QDir::Hidden));
            auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
            if (edit && !name.isEmpty()) {
                edit->setText(name);
                static_cast<QDialog*>(dialog)->accept();
            } else {
                dialog->reject();
            }
        });
    };
    answer("tasks");
    const auto chosen = desktop->saveFile(nullptr, {"Choose Export Filename", {"csv"}});
    answer({});
    EXPECT_FALSE(desktop->openFile(nullptr, {"Choose Import Filename", {"csv", "txt"}}));
    EXPECT_TRUE(chosen && chosen->endsWith("/tasks.csv")) << chosen.value_or("").toStdString();
    EXPECT_EQ(*seen, (std::vector<Seen>{{"Choose Export Filename",
                                         {"*.csv"},
                                         QFileDialog::AcceptSave,
                                         QFileDialog::AnyFile,
                                         true,
                                         false},
                                        {"Choose Import Filename",
                                         {"*.csv *.txt"},
                                         QFileDialog::AcceptOpen,
                                         QFileDialog::ExistingFile,
                                         true,
                                         false}}));
}
