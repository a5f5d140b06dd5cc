#pragma once

#include "HotKey/HotKeyService.h"

#include <memory>

// In a Wayland session, the desktop portal's shortcuts where the portal offers them; otherwise
// the X11 service when the application runs on X11 (Qt's xcb platform), else the one that
// refuses every registration.
std::unique_ptr<HotKeyService> makeDefaultHotKeyService();
