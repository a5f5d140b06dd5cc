#include "help/HelpVC.h"

#include "help/HelpBrowser.h"
#include "support/Console.h"
#include "ui/Appearance.h"
#include "ui_HelpVC.h"

#include <QApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>

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
    // A web browser's default space around the page's body.
    webView_->document()->setDocumentMargin(8);
    viewDidLoad();
}

HelpVC::~HelpVC() = default;

void HelpVC::viewDidLoad() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        resize(screen->geometry().size() / 2);
    }
    loadPage();
    // Any key pressed in any of the application's windows closes this one.
    qApp->installEventFilter(this);
    connect(&Appearance::shared(), &Appearance::changed, this,
            &HelpVC::appleInterfaceThemeChangedNotification);
    getAppearance();
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
