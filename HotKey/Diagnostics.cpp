#include "HotKey/Diagnostics.h"

#include <cstdio>

namespace HotKeyDiagnostics {

void printLine(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void printRefusal(const KeyCombo& combo, const QString& reason) {
    QString name = combo.description();
    if (!combo.key()) {
        name += QStringLiteral("(key code %1)").arg(combo.carbonKeyCode);
    }
    printLine(QStringLiteral("Hot key %1 refused: %2").arg(name, reason));
}

} // namespace HotKeyDiagnostics
