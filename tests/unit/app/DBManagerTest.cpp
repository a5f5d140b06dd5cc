#include "store/DBManager.h"

#include "store/PreferenceStore.h"
#include "tests/support/FileUtil.h"
#include "tests/support/TempConfigHome.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

Task makeTask(const QString& name, double created) {
    Task t;
    t.id = QUuid::createUuid();
    t.name = name;
    t.created = Date{created};
    return t;
}

QStringList keptAside(const TempConfigHome& home, const QString& key) {
    return QDir(home.storeDir()).entryList({key + ".unreadable-*.data"}, QDir::Files);
}

} // namespace

TEST(DBManager, FirstRunReadsEmptyListsAndDefaultKeys) {
    TempConfigHome home;
    EXPECT_TRUE(DBManager::getTaskList().empty());
    EXPECT_TRUE(DBManager::getSystemMessages().empty());
    EXPECT_TRUE(DBManager::getSeenSysyemMessages().empty());
    EXPECT_EQ(DBManager::getKeys(), (std::vector<std::int64_t>{0, 3, 7, 27, 28, 22, 19}));
}

TEST(DBManager, SavedListsReadBackEqualAndUncached) {
    TempConfigHome home;
    std::vector<Task> tasks{makeTask("b", 2.5), makeTask("a", 1.25)};
    tasks[1].isSnoozed = true;
    tasks[1].snoozedUntil = Date{99.75};
    DBManager::saveTaskList(tasks);
    const auto back = DBManager::getTaskList();
    ASSERT_EQ(back.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(back[i].id, tasks[i].id);
        EXPECT_EQ(back[i].name, tasks[i].name);
        EXPECT_EQ(back[i].created, tasks[i].created);
        EXPECT_EQ(back[i].snoozedUntil, tasks[i].snoozedUntil);
    }

    DBManager::saveTaskList({});
    EXPECT_EQ(readFile(home.storeFile("tasksData.data")), QByteArray("[]"));
    EXPECT_TRUE(DBManager::getTaskList().empty());

    // Another writer changes the file: the next read sees it.
    ASSERT_TRUE(writeFile(home.storeFile("tasksData.data"), *Json::encodeTasks({tasks[0]})));
    EXPECT_EQ(DBManager::getTaskList().size(), 1u);

    SystemMessage m;
    m.id = 42;
    m.message = "hello";
    DBManager::saveSystemMessages({m});
    ASSERT_EQ(DBManager::getSystemMessages().size(), 1u);
    EXPECT_EQ(DBManager::getSystemMessages()[0].message, QStringLiteral("hello"));

    DBManager::saveSeenSysyemMessages({7, 9007199254740993});
    EXPECT_EQ(DBManager::getSeenSysyemMessages(), (std::vector<std::int64_t>{7, 9007199254740993}));
}

TEST(DBManager, WrongKindReadsEmpty) {
    TempConfigHome home;
    const PreferenceStore store = PreferenceStore::standard();
    store.setBool("tasksData", true);
    store.setIntegers("systemMessages", {1});
    EXPECT_TRUE(DBManager::getTaskList().empty());
    EXPECT_TRUE(DBManager::getSystemMessages().empty());
    // Nothing to keep aside: the data value itself is missing.
    EXPECT_TRUE(keptAside(home, "tasksData").isEmpty());
}

TEST(DBManager, UnreadableListIsKeptAsideOnce) {
    TempConfigHome home;
    const Task good = makeTask("kept", 1);
    // The second element lacks "isTutorial": the whole list is unreadable.
    const QByteArray stored = "[" + Json::encodeTasks({good})->mid(1).chopped(1) +
                              R"(,{"id":"6F1C2A3B-4D5E-4F60-8A9B-0C1D2E3F4A5B","name":"b",)"
                              R"("created":2,"isSnoozed":false,"isDone":false}])";
    ASSERT_TRUE(writeFile(home.storeFile("tasksData.data"), stored));

    testing::internal::CaptureStdout();
    EXPECT_TRUE(DBManager::getTaskList().empty());
    EXPECT_TRUE(DBManager::getTaskList().empty());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("tasksData is unreadable"), std::string::npos) << out;

    const QStringList kept = keptAside(home, "tasksData");
    ASSERT_EQ(kept.size(), 1) << "the same bytes are kept only once";
    EXPECT_EQ(readFile(home.storeFile(kept[0])), stored);

    // The next save replaces the unreadable value; the kept copy stays.
    DBManager::saveTaskList({good});
    EXPECT_EQ(DBManager::getTaskList().size(), 1u);
    EXPECT_EQ(readFile(home.storeFile(kept[0])), stored);

    // Different unreadable bytes get a copy of their own, never overwriting the first.
    ASSERT_TRUE(writeFile(home.storeFile("tasksData.data"), "[{]"));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(DBManager::getTaskList().empty());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(keptAside(home, "tasksData").size(), 2);
    EXPECT_EQ(readFile(home.storeFile(kept[0])), stored);
}

TEST(DBManager, KeyIndexesMustBeSevenAssignablePositions) {
    TempConfigHome home;
    const std::vector<std::int64_t> defaults{0, 3, 7, 27, 28, 22, 19};
    const std::vector<std::int64_t> custom{35, 1, 2, 3, 4, 5, 0};
    DBManager::saveKeys(custom);
    EXPECT_EQ(DBManager::getKeys(), custom);

    for (const std::vector<std::int64_t>& bad :
         {std::vector<std::int64_t>{1, 2, 3}, std::vector<std::int64_t>{0, 1, 2, 3, 4, 5, 36},
          std::vector<std::int64_t>{0, 1, 2, 3, 4, 5, -1},
          std::vector<std::int64_t>{0, 1, 2, 3, 4, 5, 6, 7}}) {
        DBManager::saveKeys(bad);
        EXPECT_EQ(DBManager::getKeys(), defaults);
    }
    ASSERT_TRUE(writeFile(home.storeFile("keyIndexes.ints"), R"(["a","b","c","d","e","f","g"])"));
    EXPECT_EQ(DBManager::getKeys(), defaults);
    PreferenceStore::standard().setData("keyIndexes", "[0,1,2,3,4,5,6]");
    EXPECT_EQ(DBManager::getKeys(), defaults);
}

TEST(DBManager, UnwritableStoreReportsAndRecovers) {
    TempConfigHome home;
    const Task first = makeTask("first", 1);
    // A file where the store folder should be: nothing can be written there.
    ASSERT_TRUE(writeFile(home.storeDir(), "not a folder"));
    testing::internal::CaptureStdout();
    DBManager::saveTaskList({first});
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("not saved"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "one diagnostic line";
    EXPECT_TRUE(DBManager::getTaskList().empty());

    ASSERT_TRUE(QFile::remove(home.storeDir()));
    DBManager::saveTaskList({first});
    EXPECT_EQ(DBManager::getTaskList().size(), 1u);
}
