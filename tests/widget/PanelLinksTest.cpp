// Addresses the panel opens.
#include "PanelFixture.h"

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

TEST_F(PanelTest, TheQuenbyButtonOpensTheProductSiteAndTheCallToActionOnlyWebAddresses) {
    UrlRecorder browser;
    // Each address with whether the call to action may open it.
    const std::vector<std::pair<QString, bool>> addresses = {
        {"https://example.com/news", true}, {"HTTP://example.com/", true},
        {"javascript:alert(1)", false},     {"javascript://example.com/%0Aalert(1)", false},
        {"file:///etc/passwd", false},      {"file://localhost/etc/passwd", false},
        {"mailto://example.com/", false},   {"https://exa mple.com/", false},
        {"not an address", false},
    };
    std::vector<SystemMessage> messages;
    for (const auto& [address, opens] : addresses) {
        messages.push_back(makeMessage(std::ssize(messages), std::ssize(messages), "news"));
        messages.back().cta_url = address;
    }
    DBManager::saveSystemMessages(messages);
    start();
    QTest::mouseClick(button("quenbyButton"), Qt::LeftButton);
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened[0].scheme(), QStringLiteral("https"));
    EXPECT_TRUE(browser.opened[0].toString().endsWith('/'));

    for (const auto& [address, opens] : addresses) {
        browser.opened.clear();
        const std::string out =
            printed([&] { QTest::mouseClick(button("ctaButton"), Qt::LeftButton); });
        EXPECT_EQ(browser.opened.size(), opens ? 1 : 0) << address.toStdString();
        EXPECT_EQ(out.empty(), opens) << address.toStdString() << ": " << out;
        // The message stays on show until it is done.
        EXPECT_TRUE(vc().systemMessageActive());
        QTest::mouseClick(button("doneButton"), Qt::LeftButton);
    }
}

#include "PanelLinksTest.moc"
