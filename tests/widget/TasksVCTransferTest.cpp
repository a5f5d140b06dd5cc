// Export and import through the CSV module: the dialogs, the import preview, the file's bytes
// and encodings, the import rules, taking an import back, and what is kept and said when a file
// cannot be written or read.
#include "TasksVCFixture.h"
#include "tests/support/FileFaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// Runs `act` on the import preview once it is up; true in `*seen` when it did.
std::shared_ptr<bool> answerPreview(std::function<void(QDialog&)> act) {
    auto seen = std::make_shared<bool>(false);
    whenUp<QDialog>([seen, act = std::move(act)](QDialog* preview) {
        *seen = true;
        act(*preview);
    });
    return seen;
}

QStringList itemTexts(const QComboBox& box) {
    QStringList texts;
    for (int i = 0; i < box.count(); ++i) {
        texts.append(box.itemText(i));
    }
    return texts;
}

// A preview table's headers and cells, row by row (the headers' as row -1), the vertical
// header first.
QList<QStringList> shownRows(const QTableWidget& table) {
    QList<QStringList> rows;
    for (int r = -1; r < table.rowCount(); ++r) {
        rows.append({r < 0 ? "" : table.verticalHeaderItem(r)->text()});
        for (int c = 0; c < table.columnCount(); ++c) {
            const QTableWidgetItem* item = r < 0 ? table.horizontalHeaderItem(c) : table.item(r, c);
            rows.back().append(item ? item->text() : "");
        }
    }
    return rows;
}

} // namespace

class TasksVCTransferTest : public TasksVCTest {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    // Imports `bytes` as a file through the import button and its preview, accepted as it opens.
    void importBytes(const QByteArray& bytes) {
        ASSERT_TRUE(writeFile(path("in.csv"), bytes));
        dialogs->answer = path("in.csv");
        const auto previewed = answerPreview([](QDialog& d) { clickTitled(&d, "Import"); });
        QTest::mouseClick(listButton("importButton"), Qt::LeftButton);
        EXPECT_TRUE(*previewed);
        // The window manager gives the keyboard back to the list when the preview closes.
        list->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(list));
    }

    QTemporaryDir dir;
};

// A byte-order mark is skipped only at the start of a file, and written back as it was read.
TEST_F(TasksVCTransferTest, ExportWritesTheHeaderAndOneQuotedTextPerTaskAndImportsBack) {
    TimeZone cet("CET-1");
    const double at = Date::fromUnixSeconds(1614776709).secondsSinceReferenceDate; // 14:05:09
    now = Date{at + 600}; // before the snooze ends
    open({makeTask("Buy milk", at), makeSnoozed("Say \"hi\", then go", at + 60, Date{at + 7200}),
          markedDone(makeTask("Done thing", at + 120), Date{at + 3600})});
    importBytes("\xEF\xBB\xBF"
                "First task here\n\xEF\xBB\xBF"
                "First task here\n");
    // Not from a literal: QString's decoders drop a U+FEFF at the start.
    const QStringList both{"First task here", QChar(0xFEFF) + QString("First task here")};
    EXPECT_EQ(rowNames().mid(3), both);
    EXPECT_EQ(names(DBManager::getTaskList()).mid(3), both) << "as the store reads it back";
    dialogs->answer = path("out.csv");
    EXPECT_EQ(printed([&] { QTest::mouseClick(listButton("exportButton"), Qt::LeftButton); }),
              "Selected file: " + path("out.csv").toStdString() + "\n");
    ASSERT_EQ(dialogs->saves.size(), 1u);
    EXPECT_EQ(std::pair(dialogs->saves[0].title, dialogs->saves[0].fileTypes),
              std::pair(QString("Choose Export Filename"), QStringList{"csv"}));
    EXPECT_EQ(readFile(path("out.csv")),
              "Created,Task,Snoozed,Done\n"
              "2021-03-03T14:05:09+0100,\"Buy milk\",,\n"
              "2021-03-03T14:06:09+0100,\"Say \"\"hi\"\", then go\",2021-03-03T16:05:09+0100,\n"
              "2021-03-03T14:07:09+0100,\"Done thing\",,2021-03-03T15:05:09+0100\n"
              "2021-03-03T14:15:09+0100,\"First task here\",,\n"
              "2021-03-03T14:15:09+0100,\"\xEF\xBB\xBF"
              "First task here\",,");

    // Imported back: neither the header, the dates nor a row without a task column come in.
    board().replaceTasks({makeTask("Buy milk", at)});
    importBytes(readFile(path("out.csv")) + "\nshort");
    const QStringList exported{"Buy milk", "Say \"hi\", then go", "Done thing"};
    EXPECT_EQ(names(board().tasks()), exported + both);
    // The panel finishes an imported task: taking the import back leaves it, and says so.
    board().setDone({board().tasks().back().id}, true);
    const auto seen = answerNextAlert("OK");
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(std::pair(seen->answered, seen->text),
              std::pair(true, QString("Not undone: the panel changed this task since")));
    const std::vector<Task> stored = DBManager::getTaskList();
    EXPECT_EQ(names(stored), QStringList({"Buy milk", both.back()}));
    EXPECT_EQ(std::pair(stored[0].created, stored[1].isDone), std::pair(Date{at}, true))
        << "revived tasks come back as they were";
}

TEST_F(TasksVCTransferTest, ImportRulesAndTheOpenDialog) {
    const Task revived = markedDone(makeSnoozed("Call Bob", 3, Date{startTime + 3600}), Date{4});
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
}

// A failed export keeps the previous file and leaves nothing behind.
TEST_F(TasksVCTransferTest, FilesThatCannotBeWrittenOrReadChangeNothingAndSaySo) {
    open({makeTask("a task with a name long enough to fill the disk", 1)});
    const QByteArray previous = "the user's previous export\n";
    ASSERT_TRUE(writeFile(path("out.csv"), previous));
    ASSERT_TRUE(writeFile(path("plain"), "a regular file"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(writeFile(path("huge.csv"), "") && QFile::resize(path("huge.csv"), 513LL << 20));
    ASSERT_TRUE(writeFile(path("locked.csv"), "a task nobody may read"));
    ASSERT_TRUE(QFile::setPermissions(path("locked.csv"), {}));
    const ObeyFilePermissions notEvenRoot;
    const QByteArray store = readFile(home.storeFile("tasksData.data"));
    // Each with why it failed, when the test knows it.
    const std::tuple<void (TasksVC::*)(), QString, QString> cases[] = {
        {&TasksVC::exportAction, path("out.csv"), "File too large"}, // the disk is full
        {&TasksVC::exportAction, path("plain/under-a-file.csv"), {}},
        {&TasksVC::importAction, path("missing.csv"), {}},
        {&TasksVC::importAction, path("locked.csv"), {}},
        {&TasksVC::importAction, dir.path(), {}},
        {&TasksVC::importAction, path("fifo"), {}},
        {&TasksVC::importAction, path("huge.csv"), {}}};
    for (const auto& [action, target, why] : cases) {
        dialogs->answer = target;
        const auto seen = answerNextAlert("OK");
        {
            const auto fullDisk = why.isEmpty() ? nullptr : std::make_unique<FileSizeLimit>(40);
            (list->*action)();
        }
        EXPECT_TRUE(seen->answered) << target.toStdString();
        EXPECT_TRUE(seen->text.contains(target)) << seen->text.toStdString();
        EXPECT_FALSE(seen->informativeText.isEmpty()) << target.toStdString();
        EXPECT_TRUE(why.isEmpty() || seen->informativeText == why) << target.toStdString();
        EXPECT_EQ(rowNames(), QStringList{"a task with a name long enough to fill the disk"});
        EXPECT_EQ(readFile(home.storeFile("tasksData.data")), store);
    }
    EXPECT_EQ(readFile(path("out.csv")), previous);
    EXPECT_FALSE(QFile::exists(path("plain/under-a-file.csv")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System),
              QStringList({"fifo", "huge.csv", "locked.csv", "out.csv", "plain"}))
        << "no leftovers";
    dialogs->answer.reset();
    list->importAction();
    list->exportAction();
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), store) << "cancelled";
}

// UTF-16 and UTF-32 files by their byte-order mark, each with a first field that is a header
// when it has fewer than six characters; and the counts when reading stops.
TEST_F(TasksVCTransferTest, TheByteOrderMarkNamesTheEncoding) {
    const Task known = markedDone(makeTask("Call Bob", 1), Date{2});
    open({});
    const std::tuple<QStringConverter::Encoding, QString, bool> files[] = {
        {QStringConverter::Utf16LE, "Tasks", false},
        {QStringConverter::Utf16BE, "Tasks!", true},
        // Five letters with combining accents: 10 code points.
        {QStringConverter::Utf32LE, "e\u0301e\u0301e\u0301e\u0301e\u0301", false},
        // Six flags: 12 code points, 6 characters.
        {QStringConverter::Utf32BE, "🇩🇪🇫🇷🇮🇹🇪🇸🇵🇱🇳🇱", true}};
    for (const auto& [encoding, first, imported] : files) {
        board().replaceTasks({known});
        QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
        importBytes(
            encode(first + QString::fromUtf16(u"\nBuy milk\nCall Bob\nPay \U0001F4B6 rent\n")));
        EXPECT_EQ(names(board().tasks()),
                  (QStringList{"Call Bob"} + (imported ? QStringList{first} : QStringList()) +
                   QStringList{"Buy milk", "Pay 💶 rent"}))
            << QStringConverter::nameForEncoding(encoding);
    }

    // A lone surrogate ends the rows; the message counts what was read and what it did.
    board().replaceTasks({known});
    const auto seen = answerNextAlert("OK");
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    importBytes(utf16(QString::fromUtf16(u"Call Bob\nBuy milk\nhalf \xD800 a row\nlost\n")));
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList({"Call Bob", "Buy milk", "half "}));
    const QString stopped = "Only the first 3 rows of \"" + path("in.csv") + "\" could be read ";
    EXPECT_EQ(std::tuple(seen->answered, seen->text, seen->informativeText),
              std::tuple(true, stopped + "(2 tasks added, 1 brought back).",
                         QString("The text is not valid UTF-16.")));

    const auto utf8 = answerNextAlert("OK");
    importBytes("row one is fine\nrow two too\nbroken \xFF here\nnever read\n");
    EXPECT_EQ(std::tuple(utf8->answered, utf8->text, utf8->informativeText),
              std::tuple(true, stopped + "(3 tasks added, 0 brought back).",
                         QString("The text is not valid UTF-8.")));
}

// A semicolon-separated file with the task in its second column, read as the user sets it up.
TEST_F(TasksVCTransferTest, ThePreviewShowsTheRowsAsTheyWillBecomeTasks) {
    open({makeTask("Call Bob", 1)});
    ASSERT_TRUE(writeFile(path("todo.csv"), "TYPE;CONTENT;PRIORITY\ntask;Buy milk;4\n"
                                            "task;Call Bob;1\nnote;;\n"));
    dialogs->answer = path("todo.csv");
    // What the preview showed, step by step; checked once it is closed.
    struct Seen {
        QString title;
        QStringList delimiters, columns;
        std::tuple<int, int, bool> initial;
        QList<QStringList> firstRows, rows;
        bool headerForType = false, headerForContent = true;
    };
    std::optional<Seen> seen;
    answerPreview([&](QDialog& preview) {
        auto* delimiters = preview.findChild<QComboBox*>("delimiterBox");
        auto* columns = preview.findChild<QComboBox*>("columnBox");
        auto* header = preview.findChild<QCheckBox*>("headerBox");
        auto* table = preview.findChild<QTableWidget*>("previewTable");
        if (delimiters && columns && header && table) {
            Seen& s = seen.emplace();
            s.title = preview.windowTitle();
            s.delimiters = itemTexts(*delimiters);
            s.initial = {delimiters->currentIndex(), columns->currentIndex(), header->isChecked()};
            s.firstRows = shownRows(*table).mid(0, 2);
            delimiters->setCurrentIndex(1);
            s.columns = itemTexts(*columns);
            s.headerForType = header->isChecked();
            columns->setCurrentIndex(1);
            s.headerForContent = header->isChecked();
            header->setChecked(true);
            s.rows = shownRows(*table);
            screenshot(preview, SCREENSHOT_DIR "/import-preview.png");
        }
        clickTitled(&preview, seen ? "Import" : "Cancel");
    });
    list->importAction();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->title, "Import Tasks");
    // As an import without it: the first field of each comma-separated row.
    EXPECT_EQ(seen->delimiters, QStringList({"Comma ( , )", "Semicolon ( ; ) — as in this file",
                                             "Tab", "Vertical bar ( | )"}));
    EXPECT_EQ(seen->initial, std::tuple(0, 0, false));
    EXPECT_EQ(seen->firstRows, QList<QStringList>({{"", "Task"}, {"1", "TYPE;CONTENT;PRIORITY"}}));
    EXPECT_EQ(seen->columns,
              QStringList({"Column 1: TYPE", "Column 2: CONTENT", "Column 3: PRIORITY"}));
    EXPECT_TRUE(seen->headerForType) << "TYPE is shorter than six characters";
    EXPECT_FALSE(seen->headerForContent) << "CONTENT is not";
    EXPECT_EQ(seen->rows, QList<QStringList>({{"", "Column 1", "Task", "Column 3"},
                                              {"Header", "TYPE", "CONTENT", "PRIORITY"},
                                              {"2", "task", "Buy milk", "4"},
                                              {"3", "task", "Call Bob", "1"},
                                              {"Skipped", "note", "", ""}}));
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList({"Call Bob", "Buy milk"}));

    const auto cancelled = answerPreview([](QDialog& preview) { clickTitled(&preview, "Cancel"); });
    board().replaceTasks({});
    list->importAction();
    EXPECT_TRUE(*cancelled);
    EXPECT_TRUE(DBManager::getTaskList().empty());
}

TEST_F(TasksVCTransferTest, TheDesktopFileDialogsShowTheirTitlesAndFilters) {
    const auto desktop = makeDesktopFileDialogs();
    using D = QFileDialog;
    using Seen = std::tuple<QString, QStringList, D::AcceptMode, D::FileMode, bool, bool>;
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
    const std::vector<Seen> shown{
        {"Choose Export Filename", {"*.csv"}, D::AcceptSave, D::AnyFile, true, false},
        {"Choose Import Filename", {"*.csv *.txt"}, D::AcceptOpen, D::ExistingFile, true, false}};
    EXPECT_EQ(*seen, shown);
}
