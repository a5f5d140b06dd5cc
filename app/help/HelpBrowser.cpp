#include "help/HelpBrowser.h"

#include <QColor>
#include <QPalette>
#include <QRegularExpression>

HelpBrowser::HelpBrowser(QWidget* parent)
    : QTextBrowser(parent) {}

void HelpBrowser::evaluateJavaScript(const QString& script) {
    static const QRegularExpression colourCall(
        QStringLiteral(R"(^\s*(setBackgroundColor|setTextColor)\('([^']*)'\);?\s*$)"));
    const QRegularExpressionMatch call = colourCall.match(script);
    const QColor colour = call.hasMatch() ? QColor::fromString(call.captured(2)) : QColor();
    if (colour.isValid()) {
        QPalette page = palette();
        const bool background = call.captured(1) == QStringLiteral("setBackgroundColor");
        page.setColor(background ? QPalette::Base : QPalette::Text, colour);
        setPalette(page);
    }
    emit javaScriptEvaluated(script);
}
