#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// What an alert is about, which its icon shows: a choice to make, or something that went wrong.
enum class AlertKind { question, warning };

// A modal alert with buttons in the given order. Answers the index of the chosen button;
// closing the alert (Escape) chooses the last button.
int runAlert(QWidget* parent, const QString& message, const QString& informative,
             const QStringList& buttons, AlertKind kind = AlertKind::warning);
