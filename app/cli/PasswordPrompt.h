#pragma once

#include <QString>

#include <optional>

// A password typed at the terminal: a prompt, and nothing shown while it is typed.
namespace PasswordPrompt {

// Whether standard input is a terminal to ask at.
bool canAsk();
// Prints `prompt` and reads one line with the terminal's echo off; the terminal is itself
// again afterwards, also when an interrupt ends the process. Nullopt when nothing could be read.
std::optional<QString> ask(const QString& prompt);

} // namespace PasswordPrompt
