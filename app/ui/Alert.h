#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// A modal alert of the warning style with buttons in the given order. Answers the index of
// the chosen button; closing the alert (Escape) chooses the last button.
int runAlert(QWidget* parent, const QString& message, const QString& informative,
             const QStringList& buttons);
