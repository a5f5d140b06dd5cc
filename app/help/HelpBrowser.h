#pragma once

#include <QTextBrowser>

// The view that shows the help page. Rich text runs no scripts, so the browser itself
// answers the page's two colour calls, "setBackgroundColor('#RRGGBB');" and
// "setTextColor('#RRGGBB');", by colouring the page; any other script does nothing.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    void evaluateJavaScript(const QString& script);

signals:
    // Every script handed to the page, in order, whether it did anything or not.
    void javaScriptEvaluated(const QString& script);
};
