// The real binary's options: each prints and ends the run before the store or a running
// Quenby is touched, here while another process holds the running instance's place.
#include "platform/SingleInstance.h"
#include "tests/support/TempConfigHome.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QString version = QStringLiteral("Quenby " QUENBY_VERSION "\n");

} // namespace

TEST(CommandLine, EachOptionPrintsAndEndsBeforeTheStoreOrTheRunningInstanceIsTouched) {
    const TempConfigHome home;
    SingleInstance running(home.storeDir());
    ASSERT_EQ(running.claim(), SingleInstance::Claim::First);
    const auto storeEntries = [&home] {
        return QDir(home.storeDir())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    };
    const QStringList before = storeEntries();
    // The arguments, the exit status, the beginning of standard output and a part of standard
    // error (after any warnings of Qt's).
    const std::tuple<QStringList, int, QString, QString> cases[] = {
        {{"--version"}, 0, version, ""},
        {{"-v"}, 0, version, ""},
        {{"--help"}, 0, "Usage: ", ""},
        {{"-h"}, 0, "Usage: ", ""},
        {{"--bogus"}, 2, "", "Unknown option 'bogus'.\nUsage: "},
        {{"stray"}, 2, "", "Unexpected argument 'stray'.\nUsage: "},
        {{"--action", "undo"}, 2, "", "Unknown action 'undo'; the actions"},
        {{"--accept-deletions"}, 2, "", "goes with --sync-now.\nUsage: "},
        {{"--sync-off", "--restore-sync-deletions"},
         2,
         "",
         "Give one of --sync-setup, --sync-now, --sync-off and "
         "--restore-sync-deletions.\nUsage: "}};
    for (const auto& [arguments, exitCode, standardOutput, standardError] : cases) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        QProcess quenby;
        quenby.start(QStringLiteral(QUENBY_BINARY), arguments);
        ASSERT_TRUE(quenby.waitForFinished(10000));
        EXPECT_EQ(quenby.exitCode(), exitCode);
        const QString out = QString::fromLocal8Bit(quenby.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(quenby.readAllStandardError());
        EXPECT_EQ(out.left(standardOutput.size()), standardOutput);
        EXPECT_TRUE(err.contains(standardError)) << err.toStdString();
        EXPECT_EQ(storeEntries(), before);
    }
}

// Without a display, help still prints, and a start says what is missing instead of
// letting Qt abort.
TEST(CommandLine, WithoutADisplayHelpPrintsAndAStartSaysWhy) {
    const TempConfigHome home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const std::pair<QString, QString> displays[] = {
        {QString(), "Quenby needs a graphical session: no X display (DISPLAY is not set)\n"},
        {":9876", "Quenby needs a graphical session: cannot open the X display :9876\n"}};
    for (const auto& [display, message] : displays) {
        env.insert(QStringLiteral("DISPLAY"), display);
        QProcess quenby;
        quenby.setProcessEnvironment(env);
        quenby.start(QStringLiteral(QUENBY_BINARY), {"--version"});
        ASSERT_TRUE(quenby.waitForFinished(10000));
        EXPECT_EQ(quenby.exitCode(), 0);
        EXPECT_EQ(QString::fromLocal8Bit(quenby.readAllStandardOutput()), version);

        quenby.start(QStringLiteral(QUENBY_BINARY), QStringList());
        ASSERT_TRUE(quenby.waitForFinished(10000));
        EXPECT_EQ(quenby.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quenby.exitCode(), 1);
        EXPECT_EQ(QString::fromLocal8Bit(quenby.readAllStandardOutput()), message);
    }
    EXPECT_FALSE(QFileInfo::exists(home.storeDir()));
}
