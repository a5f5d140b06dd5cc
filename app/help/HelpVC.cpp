#include "help/HelpVC.h"

#include "help/HelpBrowser.h"
#include "support/Console.h"
#include "ui/Appearance.h"
#include "ui_HelpVC.h"

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

const char* caseName(HelpVC::OSAppearance appearance) {
    return appearance == HelpVC::OSAppearance::dark ? "dark" : "light";
}

} // namespace

HelpVC::HelpVC(HelpPage::ShortcutKeyNames keys, QWidget* parent, Delay delay)
    : QWidget(parent, Qt::Window)
    , ui_(std::make_unique<Ui::HelpVC>())
    , keys_(std::move(keys))
    , delay_(std::move(delay)) {
    if (!delay_) {
        delay_ = [this](std::chrono::milliseconds after, std::function<void()> call) {
            QTimer::singleShot(after, this, std::move(call));
        };
    }
    ui_->setupUi(this);
    webView_ = ui_->webView;
    // Room around the text, as a reading page has.
    webView_->document()->setDocumentMargin(pageMargin);
    viewDidLoad();
}

HelpVC::~HelpVC() = default;

void HelpVC::viewDidLoad() {
    loadPage();
    fitToPage();
    // Any key pressed in any of the application's windows closes this one.
    qApp->installEventFilter(this);
    connect(&Appearance::shared(), &Appearance::changed, this,
            &HelpVC::appleInterfaceThemeChangedNotification);
    getAppearance();
}

// A comfortable line length of the page's own text, and tall enough for the whole page,
// within most of the screen: on a scaled screen the window grows with its text.
void HelpVC::fitToPage() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QSize room = screen->availableGeometry().size();
    // About 75 characters of the page's 16-pixel text.
    const int lineLength = 40 * 16 + 2 * pageMargin;
    const int width = std::min(lineLength, static_cast<int>(room.width() * 0.7));
    QTextDocument* page = webView_->document();
    page->setTextWidth(width - webView_->verticalScrollBar()->sizeHint().width());
    const int height = static_cast<int>(std::ceil(page->size().height())) + 2;
    resize(width, std::min(height, static_cast<int>(room.height() * 0.85)));
}

void HelpVC::setKeys(HelpPage::ShortcutKeyNames keys) {
    keys_ = std::move(keys);
    loadPage();
}

void HelpVC::loadPage() {
    webView_->document()->setBaseUrl(
        QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + u'/'));
    webView_->setHtml(HelpPage::document(HelpPage::fontText(HelpPage::fontPath()), keys_));
    // Loading ends once control returns to the event loop, as a web view's does.
    QMetaObject::invokeMethod(this, &HelpVC::webViewDidFinish, Qt::QueuedConnection);
}

void HelpVC::webViewDidFinish() {
    injectCSSBasedOnAppearance();
}

void HelpVC::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        viewDidAppear();
    }
}

void HelpVC::viewDidAppear() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect visible = screen->availableGeometry();
    setGeometry(QRect(visible.topLeft() + QPoint((visible.width() - width()) / 2,
                                                 (visible.height() - height()) / 2),
                      size()));
}

bool HelpVC::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isVisible()) {
        close();
    }
    return QWidget::eventFilter(watched, event);
}

void HelpVC::getAppearance() {
    osAppearance_ = Appearance::shared().isDark() ? OSAppearance::dark : OSAppearance::light;
    injectCSSBasedOnAppearance();
}

void HelpVC::injectCSSBasedOnAppearance() {
    Console::printLine("help", caseName(osAppearance_));
    const QString black = QStringLiteral("#000000");
    const QString white = QStringLiteral("#FFFFFF");
    const bool dark = osAppearance_ == OSAppearance::dark;
    webView_->evaluateJavaScript(
        QStringLiteral("setBackgroundColor('%1');").arg(dark ? black : white));
    webView_->evaluateJavaScript(QStringLiteral("setTextColor('%1');").arg(dark ? white : black));
}

void HelpVC::appleInterfaceThemeChangedNotification() {
    delay_(appearanceSettleTime, [this] { getAppearance(); });
}
