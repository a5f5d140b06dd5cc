#include "store/DBManager.h"

#include "store/PreferenceStore.h"
#include "tests/support/Builders.h"
#include "tests/support/FileFaults.h"
#include "tests/support/FileUtil.h"
#include "tests/support/Printed.h"
#include "tests/support/TempConfigHome.h"

#include <QDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>

namespace {

QStringList keptAside(const TempConfigHome& home, const QString& key) {
    return QDir(home.storeDir())
        .entryList({key + ".unreadable-*.data"}, QDir::AllEntries | QDir::System);
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

// A first run reads empty lists and the default keys. (A value of another kind under a list's
// key reads as missing: the preference store's test.)
TEST(DBManager, KeyIndexesMustBeSevenAssignablePositions) {
    TempConfigHome home;
    using Keys = std::vector<std::int64_t>;
    const Keys defaults{0, 3, 7, 27, 28, 22, 19};
    EXPECT_EQ(std::tuple(DBManager::getTaskList().size(), DBManager::getSystemMessages().size(),
                         DBManager::getSeenSysyemMessages().size(), DBManager::getKeys()),
              std::tuple(0u, 0u, 0u, defaults));
    const Keys custom{35, 1, 2, 3, 4, 5, 0};
    ASSERT_TRUE(DBManager::saveKeys(custom));
    EXPECT_EQ(DBManager::getKeys(), custom);

    for (const Keys& bad :
         {Keys{1, 2, 3}, Keys{0, 1, 2, 3, 4, 5, 36}, Keys{0, 1, 2, 3, 4, 5, -1},
          Keys{0, 1, 2, 3, 4, 5, 6, 7}, Keys{0, 0, 0, 0, 0, 0, 0}, Keys{0, 1, 2, 3, 4, 5, 0}}) {
        ASSERT_TRUE(DBManager::saveKeys(bad));
        EXPECT_EQ(DBManager::getKeys(), defaults);
    }
    ASSERT_TRUE(writeFile(home.storeFile("keyIndexes.ints"), R"(["a","b","c","d","e","f","g"])"));
    const auto fromText = DBManager::getKeys();
    ASSERT_TRUE(PreferenceStore::standard().setData("keyIndexes", "[0,1,2,3,4,5,6]"));
    EXPECT_EQ(std::tuple(fromText, DBManager::getKeys()), std::tuple(defaults, defaults));
}

// Other kinds of unreadable store files (a FIFO, one without read permission, a folder): the
// torture's broken stores, through the real binary. A list that cannot be encoded is not saved.
TEST(DBManager, AnUnreadableListIsMovedAsideWholeBeforeTheNextSaveAndAnUnencodableOneNeverSaved) {
    TempConfigHome home;
    const QString path = home.storeFile("tasksData.data");
    ASSERT_TRUE(writeFile(path, QByteArray(9000, '{')));
    const ino_t inode = inodeOf(path);
    const std::string out = printed([] {
        {
            // A full disk does not stop it: nothing is copied.
            const FileSizeLimit full(4096);
            EXPECT_TRUE(DBManager::getTaskList().empty());
        }
        EXPECT_TRUE(DBManager::getTaskList().empty()) << "moved once, so kept once";
    });
    EXPECT_NE(out.find("DBManager: stored tasksData is unreadable ("), std::string::npos) << out;
    EXPECT_NE(out.find("its bytes are kept in"), std::string::npos) << out;

    const QStringList kept = keptAside(home, "tasksData");
    ASSERT_EQ(kept.size(), 1) << out;
    EXPECT_EQ(std::pair(inodeOf(home.storeFile(kept[0])), readFile(home.storeFile(kept[0]))),
              std::pair(inode, QByteArray(9000, '{')))
        << "the very file, not a copy";
    EXPECT_TRUE(DBManager::saveTaskList({makeTask("new", 1)}));
    EXPECT_EQ(
        printed([] { EXPECT_FALSE(DBManager::saveTaskList({makeTask("never", std::nan(""))})); }),
        "DBManager: tasksData not saved - it holds a time that is not a finite "
        "number; the stored one stays\n");
    EXPECT_EQ(names(DBManager::getTaskList()), QStringList{"new"});
}

TEST(DBManager, AnUnreadableListThatCannotBeKeptAsideIsNeverOverwritten) {
    TempConfigHome home;
    const QByteArray stored = "[{\"id\": broken";
    ASSERT_TRUE(writeFile(home.storeFile("tasksData.data"), stored));
    const auto setFolderWritable = [&](bool writable) {
        QFile::setPermissions(home.storeDir(),
                              QFile::ReadOwner | QFile::ExeOwner |
                                  (writable ? QFile::WriteOwner : QFile::Permissions()));
    };
    const ObeyFilePermissions asUser;
    setFolderWritable(false);
    std::string out = printed([] {
        EXPECT_TRUE(DBManager::getTaskList().empty());
        EXPECT_FALSE(DBManager::saveTaskList({makeTask("held", 1)}) ||
                     !DBManager::getTaskList().empty());
    });
    EXPECT_NE(out.find("DBManager: stored tasksData is unreadable (not a valid list) and could "
                       "not be kept aside: Permission denied - changes to it are kept in memory "
                       "only, until it can be\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "said once: " << out;

    // Writable again: the next save keeps the bytes aside first, then stores the list.
    setFolderWritable(true);
    out = printed([] { EXPECT_TRUE(DBManager::saveTaskList({makeTask("held", 1)})); });
    EXPECT_NE(out.find("its bytes are kept in"), std::string::npos) << out;
    const QStringList kept = keptAside(home, "tasksData");
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(std::tuple(readFile(home.storeFile(kept[0])), DBManager::getTaskList().size()),
              std::tuple(stored, 1u));

    // Once kept, saves go straight through, an empty list too.
    EXPECT_TRUE(DBManager::saveTaskList({}));
    EXPECT_EQ(std::tuple(keptAside(home, "tasksData").size(),
                         readFile(home.storeFile("tasksData.data")),
                         DBManager::getTaskList().size()),
              std::tuple(1, QByteArray("[]"), 0u));

    // Another writer changes the file: the next read sees it. (Lists read back as saved: every
    // test that saves a store before the board starts, and the feed's for the messages and the
    // seen ids.)
    ASSERT_TRUE(
        writeFile(home.storeFile("tasksData.data"), *Json::encodeTasks({makeTask("b", 2)})));
    EXPECT_EQ(DBManager::getTaskList().size(), 1u);
}
