#pragma once

#include "store/ShortcutAction.h"

#include <QString>

#include <array>

// The help page: one HTML document held in the program, with the application's text
// typeface inlined so the page needs no other file.
namespace HelpPage {

// The keys of the seven shortcut actions as the keyboard names them ("A", "1"), in action
// order: add, done, hour, day, two days, week, task list.
using ShortcutKeyNames = std::array<QString, shortcutActionCount>;

// Where the inlined typeface is read from.
QString fontPath();

// "data:font/ttf;base64," and the file's bytes in Base64; empty when the file is missing,
// and also when it cannot be read, which is reported.
QString fontText(const QString& path);

// The whole page, with the font text in its font rule and the keys assigned to add, done
// and the four snoozes in its quick guide.
QString document(const QString& fontText, const ShortcutKeyNames& keys);

} // namespace HelpPage
