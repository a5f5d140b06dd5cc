#include "HotKey/RefusingHotKeyService.h"

#include "HotKey/Diagnostics.h"

std::optional<HotKeyService::Handle>
RefusingHotKeyService::registerHotKey(const KeyCombo& combo, EventHotKeyID, const HotKeyPurpose&) {
    HotKeyDiagnostics::printRefusal(combo, reason());
    return std::nullopt;
}
