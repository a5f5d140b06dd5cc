#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Start at login through an XDG autostart entry: enabling writes
// $XDG_CONFIG_HOME/autostart/<bundle id>.desktop, which starts the given binary;
// disabling removes it.
namespace LoginItem {

inline constexpr char bundleIdentifier[] = "app.quenby.Quenby.AutoLauncher";

QString autostartDirectory();
QString entryPath();
bool isEnabled();

// Nothing on success, otherwise why the entry could not be written or removed.
std::optional<QString> setEnabled(bool enabled, const QString& executable);

// The entry's text: the application's desktop entry, started from `executable`.
QByteArray entryText(const QString& executable);

// One argument of an Exec value, quoted and escaped as desktop entries require.
QString execArgument(const QString& argument);

} // namespace LoginItem
