#pragma once

#include <QFont>
#include <QString>

#include <optional>

// Typefaces registered for this process from font files, looked up by the name their
// file was registered under ("Lato-Regular"), as the platform's font manager would.
namespace Fonts {

// Nothing on success, otherwise why the file could not be registered.
std::optional<QString> registerFile(const QString& name, const QString& path);

// The registered face at the given size; the application's default face when `name`
// was never registered.
QFont named(const QString& name, double pointSize);

} // namespace Fonts
