#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Start at login through an XDG autostart entry: enabling writes
// $XDG_CONFIG_HOME/autostart/<bundle id>.desktop, which starts the installed binary;
// disabling removes it.
namespace LoginItem {

inline constexpr char bundleIdentifier[] = "app.quenby.Quenby.AutoLauncher";
// Set to 1, the entry starts the binary that was started, even one that is not installed.
inline constexpr char thisBinaryVariable[] = "QUENBY_AUTOSTART_THIS_BINARY";

// What the entry starts.
struct Launcher {
    QString program;
    // The user asked for this binary; a later start of another one leaves it while it exists.
    bool chosen = false;

    friend bool operator==(const Launcher&, const Launcher&) = default;
};

// The launcher for a start of the binary at `running`: that binary when thisBinaryVariable is
// 1, otherwise the `quenby` on PATH, otherwise plain "quenby", which the entry's TryExec keeps
// idle until one is installed. Never a build tree's binary by accident.
Launcher launcherFor(const QString& running);

QString autostartDirectory();
QString entryPath();
bool isEnabled();

// Nothing on success, otherwise why the entry could not be written or removed.
std::optional<QString> setEnabled(bool enabled, const Launcher& launcher);

// Whether an existing entry should start `launcher` instead: it has no TryExec (an older
// version wrote it, maybe for a build tree), or it starts another binary than `launcher` that
// the user did not choose or that is gone.
bool isStale(const Launcher& launcher);
// Makes the existing entry start `launcher`, keeping its other lines (a desktop's own
// switches among them). Nothing on success, otherwise why not.
std::optional<QString> correct(const Launcher& launcher);

// The entry's text: the application's desktop entry, started by `launcher`.
QByteArray entryText(const Launcher& launcher);

// One argument of an Exec value, quoted and escaped as desktop entries require.
QString execArgument(const QString& argument);

} // namespace LoginItem
