#include "HotKey/DefaultHotKeyService.h"

#include "HotKey/RefusingHotKeyService.h"
#include "HotKey/X11HotKeyService.h"

std::unique_ptr<HotKeyService> makeDefaultHotKeyService() {
    if (std::unique_ptr<HotKeyService> x11 = X11HotKeyService::create()) {
        return x11;
    }
    return std::make_unique<RefusingHotKeyService>();
}
