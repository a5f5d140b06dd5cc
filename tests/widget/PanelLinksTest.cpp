// Addresses the panel opens, and the typefaces it registers.
#include "PanelFixture.h"
#include "support/Fonts.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

// Stands in for the desktop's browser: records every address it is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        for (const char* scheme : {"http", "https", "file", "javascript", "mailto"}) {
            QDesktopServices::setUrlHandler(scheme, this, "open");
        }
    }
    ~UrlRecorder() override {
        for (const char* scheme : {"http", "https", "file", "javascript", "mailto"}) {
            QDesktopServices::unsetUrlHandler(scheme);
        }
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

TEST_F(PanelTest, TheQuenbyButtonOpensTheProductSite) {
    UrlRecorder browser;
    start();
    QTest::mouseClick(button("quenbyButton"), Qt::LeftButton);
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened[0].scheme(), QStringLiteral("https"));
    EXPECT_TRUE(browser.opened[0].toString().endsWith('/'));
}

TEST_F(PanelTest, TheCallToActionOpensOnlyWebAddresses) {
    UrlRecorder browser;
    SystemMessage good = makeMessage(1, 1, "good");
    SystemMessage script = makeMessage(2, 2, "script");
    script.cta_url = "javascript:alert(1)";
    SystemMessage local = makeMessage(3, 3, "local");
    local.cta_url = "file:///etc/passwd";
    SystemMessage broken = makeMessage(4, 4, "broken");
    broken.cta_url = "https://exa mple.com/";
    DBManager::saveSystemMessages({good, script, local, broken});
    start();
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(button("ctaButton"), Qt::LeftButton);
        // The message stays on show until it is done.
        EXPECT_TRUE(vc().systemMessageActive());
        QTest::mouseClick(button("doneButton"), Qt::LeftButton);
    }
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened[0], QUrl("https://example.com/news"));
}

TEST_F(PanelTest, AMissingTypefaceIsReportedAndStartUpGoesOn) {
    start();
    testing::internal::CaptureStdout();
    Fonts::loadCustomFont("Lato-Nonexistent", "ttf");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Failed to find font URL for Lato-Nonexistent.\n");
    EXPECT_TRUE(window().isVisible());
}

#include "PanelLinksTest.moc"
