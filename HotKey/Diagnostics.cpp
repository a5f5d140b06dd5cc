#include "HotKey/Diagnostics.h"

#include <cstdio>

namespace HotKeyDiagnostics {

void printLine(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void printRefusal(const KeyCombo& combo, const QString& reason) {
    printLine(QStringLiteral("Hot key %1 refused: %2").arg(combo.keyboardName(), reason));
}

} // namespace HotKeyDiagnostics
