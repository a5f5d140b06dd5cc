#include "store/PreferenceStore.h"

#include "tests/support/FileUtil.h"
#include "tests/support/TempConfigHome.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class PreferenceStoreTest : public testing::Test {
protected:
    QStringList storeEntries() const {
        return QDir(home.storeDir())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    TempConfigHome home;
    const PreferenceStore store = PreferenceStore::standard();
};

} // namespace

TEST_F(PreferenceStoreTest, LivesUnderXdgConfigHome) {
    EXPECT_EQ(store.directory(), home.storeDir());

    qputenv("XDG_CONFIG_HOME", "relative/path");
    EXPECT_EQ(PreferenceStore::standard().directory(), QDir::homePath() + "/.config/Quenby");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(PreferenceStore::standard().directory(), QDir::homePath() + "/.config/Quenby");
}

// Each kind's own file (tasksData.data, keyIndexes.ints, startupSet.bool) and its bytes: the
// files the e2e tests write and read beside the real binary.
TEST_F(PreferenceStoreTest, AValueOfAnotherKindReadsAsMissing) {
    ASSERT_TRUE(store.setBool("tasksData", true));
    EXPECT_FALSE(store.data("tasksData") || store.integers("tasksData"));

    // Writing the key with another kind replaces the old file.
    ASSERT_TRUE(store.setData("tasksData", "[]"));
    EXPECT_FALSE(QFile::exists(home.storeFile("tasksData.bool")) || store.boolean("tasksData"));

    // Unparsable contents of a kind's file read as missing too.
    ASSERT_TRUE(writeFile(home.storeFile("keyIndexes.ints"), "[\"a\", \"b\"]"));
    EXPECT_FALSE(store.integers("keyIndexes"));
    ASSERT_TRUE(writeFile(home.storeFile("launchOnStartup.bool"), "yes"));
    EXPECT_FALSE(store.boolean("launchOnStartup") || store.boolForKey("launchOnStartup"));
}

// A failed write, or one whose folder cannot be made. (A read-only or full disk: the torture's,
// through the real binary.) Of the files beside, only what interrupted writes left is removed.
TEST_F(PreferenceStoreTest, FailedWriteKeepsThePreviousValueAndOnlyLeftoversOfWritesAreRemoved) {
    ASSERT_TRUE(store.setData("tasksData", "[1]"));
    // A folder in the way of the new file: the rename into place fails, even for root.
    ASSERT_TRUE(QDir().mkpath(home.storeFile("tasksData.bool")));
    EXPECT_FALSE(store.setBool("tasksData", true));
    EXPECT_EQ(store.data("tasksData"), QByteArray("[1]"));
    EXPECT_EQ(storeEntries(), (QStringList{"tasksData.bool", "tasksData.data"}))
        << "no temporary file stays behind";
    for (const char* name : {"tasksData.data.saving-Ab12Cd", "keyIndexes.ints.saving-000000",
                             "notes.saving-1", "tasksData.unreadable-20240101T000000Z.data"}) {
        ASSERT_TRUE(writeFile(home.storeFile(name), "x"));
    }
    store.removeLeftovers();
    EXPECT_EQ(storeEntries(), (QStringList{"notes.saving-1", "tasksData.bool", "tasksData.data",
                                           "tasksData.unreadable-20240101T000000Z.data"}));

    // A plain file where the store folder's parent should be: even root cannot create it.
    const QString blocker = home.storeDir() + "-parent";
    ASSERT_TRUE(writeFile(blocker, "x"));
    const PreferenceStore blocked(blocker + "/Quenby");
    EXPECT_FALSE(blocked.setData("tasksData", "[]") || blocked.data("tasksData"));
}
