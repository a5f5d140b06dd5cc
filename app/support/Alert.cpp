#include "support/Alert.h"

#include <QMessageBox>
#include <QPushButton>

int runAlert(QWidget* parent, const QString& message, const QString& informative,
             const QStringList& buttons) {
    QMessageBox alert(QMessageBox::Warning, QStringLiteral("Quenby"), message,
                      QMessageBox::NoButton, parent);
    alert.setTextFormat(Qt::PlainText);
    alert.setInformativeText(informative);
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
