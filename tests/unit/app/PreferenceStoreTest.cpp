#include "store/PreferenceStore.h"

#include "tests/support/FileFaults.h"
#include "tests/support/FileUtil.h"
#include "tests/support/TempConfigHome.h"

#include <QFile>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QStringList storeEntries(const TempConfigHome& home) {
    return QDir(home.storeDir())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

TEST(PreferenceStore, LivesUnderXdgConfigHome) {
    TempConfigHome home;
    EXPECT_EQ(PreferenceStore::standard().directory(), home.storeDir());

    qputenv("XDG_CONFIG_HOME", "relative/path");
    EXPECT_EQ(PreferenceStore::standard().directory(), QDir::homePath() + "/.config/Quenby");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(PreferenceStore::standard().directory(), QDir::homePath() + "/.config/Quenby");
}

TEST(PreferenceStore, EachKindHasItsOwnFile) {
    TempConfigHome home;
    const PreferenceStore store = PreferenceStore::standard();
    EXPECT_FALSE(store.data("tasksData") || store.boolForKey("startupSet"));

    const QByteArray data("[]\0x", 4);
    ASSERT_TRUE(store.setData("tasksData", data) && store.setIntegers("keyIndexes", {1, 2, 3}) &&
                store.setBool("startupSet", true));
    EXPECT_EQ(std::tuple(readFile(home.storeFile("tasksData.data")),
                         readFile(home.storeFile("keyIndexes.ints")),
                         readFile(home.storeFile("startupSet.bool"))),
              std::tuple(data, QByteArray("[1,2,3]"), QByteArray("true")));
    EXPECT_EQ(std::tuple(store.data("tasksData"), store.integers("keyIndexes"),
                         store.boolean("startupSet")),
              std::tuple(std::optional(data), std::optional(std::vector<std::int64_t>{1, 2, 3}),
                         std::optional(true)));
    ASSERT_TRUE(store.setBool("startupSet", false));
    EXPECT_EQ(store.boolean("startupSet"), false);
}

TEST(PreferenceStore, AValueOfAnotherKindReadsAsMissing) {
    TempConfigHome home;
    const PreferenceStore store = PreferenceStore::standard();
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

TEST(PreferenceStore, FailedWriteKeepsThePreviousValue) {
    TempConfigHome home;
    const PreferenceStore store = PreferenceStore::standard();
    ASSERT_TRUE(store.setData("tasksData", "[1]") && store.setBool("startupSet", false));

    // A folder in the way of the new file: the rename into place fails, even for root.
    ASSERT_TRUE(QDir().mkpath(home.storeFile("tasksData.bool")));
    EXPECT_FALSE(store.setBool("tasksData", true));
    EXPECT_EQ(store.data("tasksData"), QByteArray("[1]"));

    {
        const ObeyFilePermissions asUser;
        QFile::setPermissions(home.storeDir(), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_FALSE(store.setData("tasksData", "[2]"));
        QFile::setPermissions(home.storeDir(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_EQ(store.data("tasksData"), QByteArray("[1]"));

    // A full disk (the task list's, within and beyond a write buffer, under the torture's
    // full tmpfs).
    {
        const FileSizeLimit fullAfter(2);
        EXPECT_FALSE(store.setBool("startupSet", true));
    }
    EXPECT_EQ(store.boolean("startupSet"), false);
    EXPECT_EQ(storeEntries(home),
              (QStringList{"startupSet.bool", "tasksData.bool", "tasksData.data"}))
        << "no temporary file stays behind";
}

TEST(PreferenceStore, UncreatableFolderFailsTheWrite) {
    TempConfigHome home;
    // A plain file where the store folder's parent should be: even root cannot create it.
    const QString blocker = home.storeDir() + "-parent";
    ASSERT_TRUE(writeFile(blocker, "x"));
    const PreferenceStore store(blocker + "/Quenby");
    EXPECT_FALSE(store.setData("tasksData", "[]") || store.data("tasksData"));
}

TEST(PreferenceStore, OnlyWhatInterruptedWritesLeftIsRemoved) {
    TempConfigHome home;
    const PreferenceStore store = PreferenceStore::standard();
    ASSERT_TRUE(store.setData("tasksData", "[]"));
    for (const char* name : {"tasksData.data.saving-Ab12Cd", "keyIndexes.ints.saving-000000",
                             "notes.saving-1", "tasksData.unreadable-20240101T000000Z.data"}) {
        ASSERT_TRUE(writeFile(home.storeFile(name), "x"));
    }
    store.removeLeftovers();
    EXPECT_EQ(storeEntries(home), (QStringList{"notes.saving-1", "tasksData.data",
                                               "tasksData.unreadable-20240101T000000Z.data"}));
}
