// Export and import through the CSV module: the dialogs, the file's bytes, the import rules,
// and what is kept and said when a file cannot be written or read.
#include "TasksVCFixture.h"

#include <QFileDialog>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// Takes `room` bytes, then refuses every write as a full disk does. Everything else is the real
// save file's doing, so whatever is left on disk is what the export did with the failure.
class FullDiskStream final : public ExportStream {
public:
    FullDiskStream(const QString& path, std::size_t room)
        : file_(path)
        , room_(room) {}

    csv::StreamStatus status() const override {
        return full_ ? csv::StreamStatus::error : file_.status();
    }
    void open() override { file_.open(); }
    void close() override { file_.close(); }
    std::error_code error() const override { return file_.error(); }
    bool commit() override { return file_.commit(); }
    QString errorString() const override { return QStringLiteral("No space left on device"); }

private:
    std::ptrdiff_t writeThrough(const std::uint8_t* bytes, std::size_t length) override {
        full_ = full_ || length > room_;
        if (full_) {
            return -1;
        }
        room_ -= length;
        return file_.write(bytes, length);
    }

    SaveFileStream file_;
    std::size_t room_;
    bool full_ = false;
};

} // namespace

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
    Task quoted = makeSnoozed("Say \"hi\", then go", at + 60, Date{at + 7200});
    Task finished = makeTask("Done thing", at + 120);
    finished.isDone = true;
    finished.doneDate = Date{at + 3600};
    now = Date{at + 600}; // before the snooze ends
    open({makeTask("Buy milk", at), quoted, finished});
    dialogs->answer = path("out.csv");
    testing::internal::CaptureStdout();
    QTest::mouseClick(listButton("exportButton"), Qt::LeftButton);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
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
    Task revived = makeSnoozed("Call Bob", 1, Date{startTime + 3600});
    revived.isDone = true;
    revived.doneDate = Date{2};
    open({revived, makeTask("Call Bob", 3), makeTask("Milk, eggs", 4)});
    list->mouseDownInHeaderOf(0); // newest first: the later "Call Bob" comes first
    now = Date{startTime + 100};
    importBytes("\"Milk, eggs\",ignored\n  \nCall Bob,x,y\nNew one\nNew one\n,empty first field\n");
    ASSERT_EQ(dialogs->opens.size(), 1u);
    EXPECT_EQ(std::pair(dialogs->opens[0].title, dialogs->opens[0].fileTypes),
              std::pair(QString("Choose Import Filename"), QStringList({"csv", "txt"})));
    const std::vector<Task> stored = DBManager::getTaskList();
    EXPECT_EQ(names(stored), QStringList({"Call Bob", "Milk, eggs", "Call Bob", "  ", "New one"}));
    EXPECT_EQ(std::tuple(stored[0].isDone, stored[0].isSnoozed, stored[0].created),
              std::tuple(true, true, Date{1}))
        << "only the first match in table order is revived";
    EXPECT_EQ(stored[2].created, now);
    EXPECT_EQ(stored[4].created, now);
    EXPECT_EQ(rowNames().size(), 5);
    EXPECT_EQ(board().tasks().size(), 5u);
}

TEST_F(TasksVCTransferTest, ReviveResetsADoneTaskWithoutAddingADuplicate) {
    Task t = makeSnoozed("Water the plants", 1, Date{startTime + 60});
    t.isDone = true;
    t.doneDate = Date{2};
    open({t});
    now = Date{startTime + 9};
    importBytes("Water the plants\n");
    ASSERT_EQ(board().tasks().size(), 1u);
    const Task& back = board().tasks()[0];
    EXPECT_EQ(std::tuple(back.id, back.created, back.isDone, back.doneDate, back.isSnoozed,
                         back.snoozedUntil),
              std::tuple(t.id, now, false, std::optional<Date>(), false, std::optional<Date>()));
}

struct HeaderCase {
    const char* first;
    bool imported;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
    *os << c.first;
}

class TasksVCHeaderTest : public TasksVCTransferTest,
                          public testing::WithParamInterface<HeaderCase> {};

TEST_P(TasksVCHeaderTest, AFirstFieldOfFewerThanSixCharactersIsAHeader) {
    open({});
    importBytes(QByteArray(GetParam().first) + "\nsecond\n");
    const QStringList expected = GetParam().imported
                                     ? QStringList({QString::fromUtf8(GetParam().first), "second"})
                                     : QStringList{"second"};
    EXPECT_EQ(names(board().tasks()), expected);
}

INSTANTIATE_TEST_SUITE_P(Firsts, TasksVCHeaderTest,
                         testing::Values(HeaderCase{"Tasks", false}, HeaderCase{"Tasks!", true},
                                         // Five letters with combining accents: 10 code points.
                                         HeaderCase{"e\u0301e\u0301e\u0301e\u0301e\u0301", false},
                                         // Six flags: 12 code points, 6 characters.
                                         HeaderCase{"🇩🇪🇫🇷🇮🇹🇪🇸🇵🇱🇳🇱", true}));

TEST_F(TasksVCTransferTest, AnExportImportedBackAddsItsHeaderAndStampsAndCanBeTakenBack) {
    open({makeTask("alpha", 1), makeTask("beta", 2)});
    dialogs->answer = path("round.csv");
    list->exportAction();
    const std::vector<Task> before = board().tasks();
    now = Date{startTime + 50};
    importBytes(readFile(path("round.csv")) + "\nalpha");
    QStringList expected = {"alpha", "beta", "Created"};
    for (const Task& t : before) {
        expected.append(getDisplayDateISO8601(t.created));
    }
    QStringList got = names(board().tasks());
    got.sort();
    expected.sort();
    EXPECT_EQ(got, expected);
    EXPECT_EQ(board().tasks().back().created, now) << "alpha revived";
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList({"alpha", "beta"}));
    EXPECT_EQ(DBManager::getTaskList()[0].created, Date{1})
        << "revived tasks come back as they were";
}

TEST_F(TasksVCTransferTest, AFailedExportKeepsThePreviousFileAndSaysWhy) {
    TasksVC::Environment env = tasksEnvironment();
    env.openExport = [](const QString& target) {
        return std::make_unique<FullDiskStream>(target, 40);
    };
    open({makeTask("a task with a name long enough to fill the disk", 1)}, env);
    const QByteArray previous = "the user's previous export\n";
    ASSERT_TRUE(writeFile(path("out.csv"), previous));
    dialogs->answer = path("out.csv");
    const auto seen = answerNextAlert("OK");
    list->exportAction();
    ASSERT_TRUE(seen->answered);
    EXPECT_TRUE(seen->text.contains(path("out.csv"))) << seen->text.toStdString();
    EXPECT_EQ(seen->informativeText, "No space left on device");
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
    const QByteArray store = readFile(home.storeFile("tasksData.data"));
    const std::pair<void (TasksVC::*)(), QString> cases[] = {
        {&TasksVC::exportAction, path("plain/under-a-file.csv")},
        {&TasksVC::importAction, path("missing.csv")},
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

TEST_F(TasksVCTransferTest, TheDesktopDialogsAskAsDescribed) {
    start();
    const auto desktop = makeDesktopFileDialogs();
    QFileDialog* seen = nullptr;
    QTimer::singleShot(50, [&seen] {
        seen = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->windowTitle(), "Choose Export Filename");
        EXPECT_EQ(seen->nameFilters(), QStringList{"*.csv"});
        EXPECT_EQ(seen->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(seen->isSizeGripEnabled());
        EXPECT_FALSE(seen->filter().testFlag(QDir::Hidden));
        seen->findChild<QLineEdit*>("fileNameEdit")->setText("tasks");
        static_cast<QDialog*>(seen)->accept();
    });
    const auto chosen = desktop->saveFile(nullptr, {"Choose Export Filename", {"csv"}});
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(chosen->endsWith("/tasks.csv")) << chosen->toStdString();
    QTimer::singleShot(50, [] {
        auto* open = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(open);
        EXPECT_EQ(std::pair(open->fileMode(), open->nameFilters()),
                  std::pair(QFileDialog::ExistingFile, QStringList{"*.csv *.txt"}));
        open->reject();
    });
    EXPECT_FALSE(desktop->openFile(nullptr, {"Choose Import Filename", {"csv", "txt"}}));
}
