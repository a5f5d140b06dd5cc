#pragma once

#include <QFont>
#include <QString>

#include <optional>

// Typefaces looked up by the name of their file ("Lato-Regular"), as the platform's font
// manager would: installed on the system, or registered for this process from a font file.
namespace Fonts {

inline const QString regularFace = QStringLiteral("Lato-Regular");
inline const QString lightFace = QStringLiteral("Lato-Light");

// Registers a typeface among the application's resources for this process; a missing or
// unusable file is reported and left to the fallback fonts.
void loadCustomFont(const QString& named, const QString& withExtension);

// The application's two faces, registered once at start-up so that every window can use them:
// the installed ones where the system has them, the bundled files otherwise.
void registerApplicationFonts();

// Nothing on success, otherwise why the file could not be registered.
std::optional<QString> registerFile(const QString& name, const QString& path);

// The registered face at the given size; the application's default face when `name`
// was never registered.
QFont named(const QString& name, double pointSize);

} // namespace Fonts
