// The real binary's options: each prints and ends the run before the store or a running
// Quenby is touched, here while another process holds the running instance's place.
#include "platform/SingleInstance.h"
#include "tests/support/Processes.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempConfigHome.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

const QString version = QStringLiteral("Quenby " QUENBY_VERSION "\n");

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
// letting Qt abort (standard error stays empty).
TEST(CommandLine, WithoutADisplayHelpPrintsAndAStartSaysWhy) {
    const TempConfigHome home;
    const ScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
    const ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
    const std::pair<std::optional<QByteArray>, QString> displays[] = {
        {QByteArray(), "Quenby needs a graphical session: no X display (DISPLAY is not set)\n"},
        {":9876", "Quenby needs a graphical session: cannot open the X display :9876\n"}};
    const auto quenby = [](const QStringList& arguments) {
        const E2E::RunResult ran = E2E::run(QUENBY_BINARY, arguments, std::chrono::seconds(10));
        return std::pair(ran.exitCode, ran.output);
    };
    for (const auto& [display, message] : displays) {
        const ScopedEnv x("DISPLAY", display);
        EXPECT_EQ(quenby({"--version"}), std::pair(0, version));
        EXPECT_EQ(quenby({}), std::pair(1, message));
    }
    EXPECT_FALSE(QFileInfo::exists(home.storeDir()));
}
