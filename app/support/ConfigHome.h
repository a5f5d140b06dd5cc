#pragma once

#include <QString>

// $XDG_CONFIG_HOME, or ~/.config when it is unset or invalid, read afresh on every call.
QString configHome();
