// What `cmake --install` and the Debian package put on the system: every file in its XDG
// place, nothing else, a working binary that finds its sync module, and entries the
// desktop's own validators accept.
#include "CalDavServer.h"
#include "FileUtil.h"
#include "Processes.h"
#include "TempConfigHome.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string_view>

namespace {

const QString appId = QStringLiteral("app.quenby.Quenby");
const QString buildDir = QStringLiteral(QUENBY_BUILD_DIR);
const int iconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

// A run of a tool; packing takes a while on a busy machine.
E2E::RunResult run(const QString& program, const QStringList& arguments) {
    return E2E::run(program, arguments, std::chrono::minutes(2));
}

QString pngIcon(int size) {
    return QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size) + appId + ".png";
}

// `quenby --sync-setup` of the installed binary, as "test" with the password "secret".
E2E::RunResult syncSetUp(const QString& prefix, const QUrl& server) {
    const TempConfigHome home;
    const QTemporaryDir dir;
    const QString password = dir.filePath("password");
    EXPECT_TRUE(writeFile(password, "secret\n") &&
                QFile::setPermissions(password, QFile::ReadOwner));
    return run(prefix + "/bin/quenby",
               {"--sync-setup", server.toString(), "--user", "test", "--password-file", password});
}

// The tree below an installation prefix (/usr in the package).
void expectInstalledTree(const QString& prefix) {
    std::set<QString> expected{"bin/quenby",
                               QUENBY_SYNC_MODULE,
                               "share/applications/" + appId + ".desktop",
                               "share/doc/quenby/changelog.gz",
                               "share/doc/quenby/copyright",
                               "share/lintian/overrides/quenby",
                               "share/man/man1/quenby.1.gz",
                               "share/icons/hicolor/scalable/apps/" + appId + ".svg",
                               "share/metainfo/" + appId + ".metainfo.xml"};
    std::ranges::transform(iconSizes, std::inserter(expected, expected.end()), pngIcon);
    std::set<QString> files;
    for (QDirIterator it(prefix, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        files.insert(QDir(prefix).relativeFilePath(it.next()));
    }
    EXPECT_EQ(files, expected);

    const auto [status, version] = run(prefix + "/bin/quenby", {"--version"});
    EXPECT_EQ(std::pair(status, version), std::pair(0, QString("Quenby " QUENBY_VERSION "\n")));

    const QString desktopFile = prefix + "/share/applications/" + appId + ".desktop";
    const auto [desktopStatus, complaints] = run(DESKTOP_FILE_VALIDATE, {desktopFile});
    EXPECT_EQ(std::pair(desktopStatus, complaints), std::pair(0, QString()));
    const QString metainfoFile = prefix + "/share/metainfo/" + appId + ".metainfo.xml";
    const E2E::RunResult metainfo = run(APPSTREAMCLI, {"validate", "--no-net", metainfoFile});
    EXPECT_EQ(metainfo.exitCode, 0) << metainfo.output.toStdString();
    // Both name the one id, the binary and, in the metadata, this version.
    const QByteArray both = readFile(desktopFile) + readFile(metainfoFile);
    for (const char* part :
         {"\nExec=quenby\n", "\nIcon=app.quenby.Quenby\n",
          "\nCategories=Office;ProjectManagement;\n", "\nKeywords=", "<id>app.quenby.Quenby</id>",
          "<launchable type=\"desktop-id\">app.quenby.Quenby.desktop<", "<binary>quenby</binary>",
          "<release version=\"" QUENBY_VERSION "\""}) {
        EXPECT_TRUE(both.contains(part)) << part;
    }

    for (const int size : iconSizes) {
        EXPECT_EQ(QImage(prefix + u'/' + pngIcon(size)).size(), QSize(size, size)) << size;
    }

    // Each option `quenby --help` lists has an entry of its own among the installed manual
    // page's options, and the page describes no option the binary does not take.
    const QString help = run(prefix + "/bin/quenby", {"--help"}).output;
    const QString manual =
        run("gzip", {"-dc", prefix + "/share/man/man1/quenby.1.gz"}).output.remove(u'\\');
    ASSERT_TRUE(manual.startsWith(".TH QUENBY 1 ")) << "a section 1 page";
    // The first line of each entry of the OPTIONS section.
    QString page;
    const QRegularExpression entry("^\\.TP\n(.*)$", QRegularExpression::MultilineOption);
    for (const auto& m :
         entry.globalMatch(manual.section(".SH OPTIONS\n", 1).section("\n.SH ", 0, 0))) {
        page += m.captured(1) + u'\n';
    }
    const auto options = [](const QString& text) {
        std::set<QString> found;
        for (const auto& m : QRegularExpression("(?<![\\w-])--?[a-z][a-z-]*").globalMatch(text)) {
            found.insert(m.captured());
        }
        return found;
    };
    ASSERT_FALSE(options(help).empty()) << help.toStdString();
    EXPECT_EQ(options(page), options(help));

    // A real sync, through the module the installed binary loads.
    CalDavServer server{CalDavServer::Kind::Radicale};
    ASSERT_TRUE(server.start());
    const E2E::RunResult setUp = syncSetUp(prefix, server.root());
    EXPECT_EQ(setUp.exitCode, 0) << setUp.output.toStdString();
    EXPECT_TRUE(setUp.output.contains("\nSynced ")) << setUp.output.toStdString();
}

} // namespace

TEST(Install, PutsEveryFileInItsXdgPlace) {
    const QTemporaryDir prefix;
    const E2E::RunResult install =
        run(CMAKE_COMMAND, {"--install", buildDir, "--prefix", prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
    expectInstalledTree(prefix.path());

    // Without its module, or with a damaged one, sync says why and nothing crashes.
    const QString module = prefix.filePath(QUENBY_SYNC_MODULE);
    for (const char* name : {"damaged", "missing"}) {
        ASSERT_TRUE(name == std::string_view("missing") ? QFile::remove(module)
                                                        : writeFile(module, "\x7f"
                                                                            "ELF, but not really"))
            << name;
        const E2E::RunResult setUp = syncSetUp(prefix.path(), QUrl("http://127.0.0.1:9/"));
        EXPECT_EQ(setUp.exitCode, 1) << name;
        EXPECT_TRUE(setUp.output.startsWith("Sync module not loaded: ")) << name;
        EXPECT_TRUE(setUp.output.endsWith(
            "\nSync not set up: sync is not available: its module could not be loaded\n"))
            << setUp.output.toStdString();
    }
}

TEST(Package, IsADebianPackageOfTheInstalledFilesThatNamesTheLibrariesItNeeds) {
    const QTemporaryDir dir;
    const E2E::RunResult cpack =
        run(CPACK_COMMAND, {"--config", buildDir + "/CPackConfig.cmake", "-B", dir.path()});
    ASSERT_EQ(cpack.exitCode, 0) << cpack.output.toStdString();
    const QStringList debs = QDir(dir.path()).entryList({"*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1);
    const QString deb = dir.filePath(debs.first());

    const E2E::RunResult fields =
        run("dpkg-deb", {"--field", deb, "Package", "Version", "Depends"});
    EXPECT_TRUE(fields.output.startsWith("Package: quenby\nVersion: " QUENBY_VERSION "\n"))
        << fields.output.toStdString();
    for (const char* dependency : {"libqt6widgets6", "libqt6dbus6", "libxcb1", "qt6-qpa-plugins"}) {
        EXPECT_TRUE(fields.output.contains(dependency)) << dependency;
    }

    // Debian's own checks, pedantic ones too, find nothing the overrides do not explain.
    const E2E::RunResult checked =
        E2E::run("lintian", {"--display-info", "--pedantic", deb}, std::chrono::minutes(5));
    // (Its one remark as root is not about the package.)
    const QString tags =
        QString(checked.output).remove("running with root privileges is not recommended!\n");
    EXPECT_EQ(tags, "") << checked.output.toStdString();
    EXPECT_EQ(checked.exitCode, 0);

    const QString root = dir.filePath("root");
    ASSERT_EQ(run("dpkg", {"-x", deb, root}).exitCode, 0);
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"usr"});
    expectInstalledTree(root + "/usr");
}
