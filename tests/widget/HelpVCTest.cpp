// The help window: its page, its colours in light and dark, where it opens and what closes it.
#include "help/HelpVC.h"
#include "help/HelpBrowser.h"
#include "tests/support/FileUtil.h"
#include "tests/support/Printed.h"
#include "ui/Appearance.h"

#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const HelpPage::ShortcutKeyNames defaultKeys{"A", "D", "H", "1", "2", "W", "T"};
const HelpPage::ShortcutKeyNames otherKeys{"Q", "X", "5", "6", "7", "Z", "L"};
const QStringList lightCalls{"setBackgroundColor('#FFFFFF');", "setTextColor('#000000');"};
const QStringList darkCalls{"setBackgroundColor('#000000');", "setTextColor('#FFFFFF');"};

// The page for `otherKeys` holds each of these lines (trimmed), in this order; %1 is the font.
// Its prose is left out: a copy of it here would prove nothing.
const QString outline = QStringLiteral(R"(<title>Quenby Help</title>
    font-family: 'Lato';
    src: url('%1') format('truetype');
    <li>Add Task: <b>CTRL + ALT + Q</b></li>
    <li>Mark as Done: <b>CTRL + ALT + X</b></li>
    <li>Snooze: <b>CTRL + ALT + 5, 6, 7 or Z</b></li>
    <li>All Tasks: <b>CTRL + ALT + L</b></li>)");

testing::AssertionResult followsOutline(const QString& page, const QString& font) {
    qsizetype from = 0;
    for (const QString& line : outline.arg(font).split(u'\n')) {
        from = page.indexOf(line.trimmed(), from);
        if (from < 0) {
            return testing::AssertionFailure() << "missing in order: " << line.toStdString();
        }
    }
    return testing::AssertionSuccess();
}

} // namespace

TEST(HelpPage, HoldsTheFontAndTheKeysInTheDocumentsStructureAndSaysWhyAFontCannotBeRead) {
    const QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("face.ttf"), QByteArray("\0\1Lato\xff\xfe", 8)));
    const QString font = HelpPage::fontText(dir.filePath("face.ttf"));
    EXPECT_EQ(font, "data:font/ttf;base64,AAFMYXRv//4=");
    const QString page = HelpPage::document(font, otherKeys);
    EXPECT_TRUE(followsOutline(page, font));
    EXPECT_FALSE(page.contains("OPT"));

    // No font when its file is missing, and a line saying why when it cannot be read.
    const std::string out = printed([&] {
        EXPECT_EQ(HelpPage::fontText(dir.filePath("missing.ttf")), "");
        EXPECT_EQ(HelpPage::fontText(dir.path()), ""); // a folder exists but reads as no file
    });
    EXPECT_TRUE(out.starts_with("Error loading font data: ")) << out;
    EXPECT_TRUE(followsOutline(HelpPage::document("", otherKeys), ""));
}

// The colours of the appearance at load and when loaded; a new assignment reloads the page
// (its keys: F1 in the task list's tests), and a new appearance is read a fifth of a second later.
// It opens at a reading size, centred, and any key closes it.
TEST(HelpWindow, SendsThePageTheColoursOfTheAppearanceAndReloadsForANewAssignment) {
    // A help window whose delayed calls wait in `delayed` until the test runs them; what it
    // printed while loading is in `loadOutput`, the page's scripts from then on in `scripts`.
    std::vector<std::pair<std::chrono::milliseconds, std::function<void()>>> delayed;
    QStringList scripts;
    std::string loadOutput;
    std::unique_ptr<HelpVC> help;
    const auto open = [&](Appearance::Scheme scheme) {
        Appearance::shared().setPortalScheme(scheme);
        loadOutput = printed([&] {
            help = std::make_unique<HelpVC>(defaultKeys, nullptr, [&](auto after, auto call) {
                delayed.emplace_back(after, std::move(call));
            });
            QObject::connect(help->webView(), &HelpBrowser::javaScriptEvaluated,
                             [&](const QString& script) { scripts.append(script); });
            QCoreApplication::processEvents();
        });
    };
    for (const auto scheme : {Appearance::Scheme::Light, Appearance::Scheme::Dark}) {
        const bool dark = scheme == Appearance::Scheme::Dark;
        scripts.clear();
        open(scheme);
        EXPECT_EQ(loadOutput, dark ? "help dark\nhelp dark\n" : "help light\nhelp light\n");
        EXPECT_EQ(scripts, dark ? darkCalls : lightCalls) << "when the page has loaded";
        const QPalette page = help->webView()->palette();
        EXPECT_EQ(page.color(QPalette::Base), dark ? Qt::black : Qt::white);
        EXPECT_EQ(page.color(QPalette::Text), dark ? Qt::white : Qt::black);
        EXPECT_EQ(help->osAppearance(),
                  dark ? HelpVC::OSAppearance::dark : HelpVC::OSAppearance::light);
    }
    scripts.clear();
    EXPECT_EQ(printed([&] {
                  help->setKeys(otherKeys);
                  QCoreApplication::processEvents();
              }),
              "help dark\n");
    EXPECT_EQ(scripts, darkCalls) << "the reloaded page gets its colours";

    scripts.clear();
    delayed.clear();
    Appearance::shared().setPortalScheme(Appearance::Scheme::Light);
    ASSERT_EQ(delayed.size(), 1u);
    EXPECT_EQ(delayed[0].first, std::chrono::milliseconds(200));
    EXPECT_TRUE(scripts.isEmpty());
    EXPECT_EQ(printed(delayed[0].second), "help light\n");
    EXPECT_EQ(scripts, lightCalls);
    EXPECT_EQ(help->osAppearance(), HelpVC::OSAppearance::light);

    help->show();
    const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
    // A reading width with room around the text, within most of the screen.
    EXPECT_GE(help->width(), 480);
    EXPECT_LE(help->width(), visible.width() * 0.7);
    EXPECT_LE(help->height(), visible.height() * 0.85);
    EXPECT_GE(help->webView()->document()->documentMargin(), 20);
    const QSize margin = (visible.size() - help->size()) / 2;
    EXPECT_EQ(help->geometry().topLeft(),
              visible.topLeft() + QPoint(margin.width(), margin.height()));

    // Any key in any window closes it and still reaches its window (in its own: the e2e looks).
    QLineEdit other;
    other.show();
    help->show();
    QTest::keyClick(&other, Qt::Key_X);
    EXPECT_EQ(std::pair(help->isVisible(), other.text()), std::pair(false, QString("x")));
    Appearance::shared().setPortalScheme(std::nullopt);
}
