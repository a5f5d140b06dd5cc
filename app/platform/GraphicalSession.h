#pragma once

#include <QString>

#include <optional>

// Whether the display the application would open is there, asked before Qt opens it (Qt
// aborts without one). Nothing when it is; otherwise why not, for the user.
std::optional<QString> missingGraphicalSession();
