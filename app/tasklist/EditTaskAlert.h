#pragma once

#include <QString>

#include <optional>

class QWidget;

// The alert that edits a task's text: the message "Edit task description", a single-line
// field 400 x 24 holding `text` on the background colour "bg", and the buttons OK then Cancel,
// left to right. It opens near the middle of the first screen with the keyboard in the field.
// Answers the field's text on OK, nothing on Cancel.
std::optional<QString> runEditTaskAlert(QWidget* parent, const QString& text);
