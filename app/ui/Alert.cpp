#include "ui/Alert.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>

namespace {

// The application's style, except that dialog buttons keep the order they were added in:
// desktops such as GNOME would otherwise reverse them or move the accept button last.
class GivenButtonOrderStyle final : public QProxyStyle {
public:
    GivenButtonOrderStyle()
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        // Windows' layout: the first accept button, the other accept buttons, then reject.
        return hint == SH_DialogButtonLayout
                   ? QDialogButtonBox::WinLayout
                   : QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

int runAlert(QWidget* parent, const QString& message, const QString& informative,
             const QStringList& buttons, AlertKind kind) {
    // Outlives the alert, whose button box uses it to its end.
    GivenButtonOrderStyle order;
    QMessageBox alert(kind == AlertKind::question ? QMessageBox::Question : QMessageBox::Warning,
                      QStringLiteral("Quenby"), message, QMessageBox::NoButton, parent);
    alert.setTextFormat(Qt::PlainText);
    alert.setInformativeText(informative);
    if (auto* box = alert.findChild<QDialogButtonBox*>()) {
        box->setStyle(&order);
    }
    QList<QAbstractButton*> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        // One role for all but the last, so their order on screen is the order given.
        const bool last = i == buttons.size() - 1;
        added.append(
            alert.addButton(buttons[i], last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (!added.isEmpty()) {
        alert.setDefaultButton(static_cast<QPushButton*>(added.front()));
        alert.setEscapeButton(added.back());
    }
    alert.exec();
    const qsizetype chosen = added.indexOf(alert.clickedButton());
    return static_cast<int>(chosen >= 0 ? chosen : added.size() - 1);
}
