#include "RefusingHotKeyService.h"

#include "Diagnostics.h"

std::optional<HotKeyService::Handle> RefusingHotKeyService::registerHotKey(const KeyCombo& combo,
                                                                           EventHotKeyID) {
    HotKeyDiagnostics::printRefusal(combo, QStringLiteral("no X11 connection"));
    return std::nullopt;
}
