#pragma once

#include "HotKey/KeyCombo.h"

#include <QString>

// The module's lines on standard output, each flushed at once so a watching process sees it.
namespace HotKeyDiagnostics {

void printLine(const QString& line);

// "Hot key ⌃⌥D refused: <reason>"; an unknown key code is named by its number.
void printRefusal(const KeyCombo& combo, const QString& reason);

} // namespace HotKeyDiagnostics
