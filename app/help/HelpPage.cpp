#include "help/HelpPage.h"

#include "support/Console.h"
#include "ui/Fonts.h"

#include <QFile>

namespace HelpPage {

namespace {

// Everything before the font text: the document ends inside the font rule's url('.
const QString head = QStringLiteral(R"(<!DOCTYPE html>
<html lang="en">
<head>
    <meta charset="UTF-8">
    <meta name="viewport" content="width=device-width, initial-scale=1.0">
    <title>Quenby Help</title>
    <style>
        @font-face {
            font-family: 'Lato';
            src: url(')");

// Everything after it; %1 to %4 are the shortcuts for add, done, snooze and the task list.
const QString body = QStringLiteral(R"(') format('truetype');
        }
        body {
            font-size: 16px;
            font-family: "Lato"
        }
        h2 {
            margin-top: 1em;
        }
    </style>
</head>
<body>
    <h2>Quick Guide</h2>
    <ul>
        <li>Current Task: The oldest undone, unsnoozed task you should be focusing on right now.</li>
        <li>Add Task: <b>%1</b></li>
        <li>Mark as Done: <b>%2</b></li>
        <li>Snooze: <b>%3</b></li>
        <li>All Tasks: <b>%4</b></li>
    </ul>
    <h2>Why Quenby?</h2>
    <p>Designed for efficiency with minimal distractions.</p>
    <h2>Why Minimal?</h2>
    <p>Eliminates bloat like labels and due dates that can turn other to-do apps into distractions.</p>
    <h2>Single Task Focus</h2>
    <p>Your "current task" is the oldest undone, unsnoozed one. Mark it as 'done' to delete it and move to the next task. Snooze it if you're not ready to work on it yet.</p>
    <p>On Wayland desktops, handing the focus back to the application you were using is best effort: the compositor decides.</p>
</body>
</html>
)");

// The shortcuts as a PC keyboard labels them: Control and Alt, then the keys.
QString shortcut(const QString& keys) {
    return QStringLiteral("CTRL + ALT + ") + keys.toHtmlEscaped();
}

} // namespace

QString fontPath() {
    return QStringLiteral(":/fonts/") + Fonts::regularFace + QStringLiteral(".ttf");
}

QString fontText(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    }
    if (file.error() != QFileDevice::NoError) {
        Console::printLine(QStringLiteral("Error loading font data: ") + file.errorString());
        return {};
    }
    return QStringLiteral("data:font/ttf;base64,") + QString::fromLatin1(bytes.toBase64());
}

QString document(const QString& fontText, const ShortcutKeyNames& keys) {
    const auto key = [&keys](ShortcutAction action) { return keys[indexOf(action)]; };
    const QString snoozes = key(ShortcutAction::Hour) + QStringLiteral(", ") +
                            key(ShortcutAction::Day) + QStringLiteral(", ") +
                            key(ShortcutAction::TwoDays) + QStringLiteral(" or ") +
                            key(ShortcutAction::Week);
    return head + fontText +
           body.arg(shortcut(key(ShortcutAction::Add)), shortcut(key(ShortcutAction::Done)),
                    shortcut(snoozes), shortcut(key(ShortcutAction::Tasks)));
}

} // namespace HelpPage
