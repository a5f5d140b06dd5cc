#pragma once

#include "HotKey/HotKeyService.h"

#include <memory>

// The X11 service when the application runs on X11 (Qt's xcb platform), otherwise the one that
// refuses every registration.
std::unique_ptr<HotKeyService> makeDefaultHotKeyService();
