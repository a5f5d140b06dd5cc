#pragma once

#include "help/HelpPage.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

class HelpBrowser;

namespace Ui {
class HelpVC;
}

// The help window: the help page at a reading width and its own height within most of the
// screen, centred, closed by any key
// pressed in any of the application's windows, its colours following light and dark.
class HelpVC : public QWidget {
    Q_OBJECT
public:
    enum class OSAppearance { light = 0, dark = 1 };
    // Runs a call once, a while later; tests run it when they choose.
    using Delay = std::function<void(std::chrono::milliseconds, std::function<void()>)>;
    // How long after an appearance change it is read again, so the desktop has finished
    // switching.
    static constexpr std::chrono::milliseconds appearanceSettleTime{200};

    // `keys`: the current shortcut assignment. Without a `delay`, Qt's timers are used.
    explicit HelpVC(HelpPage::ShortcutKeyNames keys, QWidget* parent = nullptr, Delay delay = {});
    ~HelpVC() override;

    // The shortcut assignment changed: the page is built and loaded again.
    void setKeys(HelpPage::ShortcutKeyNames keys);

    OSAppearance osAppearance() const { return osAppearance_; }
    HelpBrowser* webView() const { return webView_; }

    // Reads the appearance, then sends the page its colours.
    void getAppearance();
    void injectCSSBasedOnAppearance();
    // The desktop switched between light and dark.
    void appleInterfaceThemeChangedNotification();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int pageMargin = 24;
    void viewDidLoad();
    void fitToPage();
    void viewDidAppear();
    void loadPage();
    // The page has finished loading.
    void webViewDidFinish();

    std::unique_ptr<Ui::HelpVC> ui_;
    HelpBrowser* webView_ = nullptr;
    HelpPage::ShortcutKeyNames keys_;
    Delay delay_;
    OSAppearance osAppearance_ = OSAppearance::light;
};
