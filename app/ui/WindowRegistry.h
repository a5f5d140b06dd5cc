#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>

// Opens the application's windows by transition identifier ("settings", "alltasks",
// "help"). Every transition is known from the start; a window is opened by the factory
// registered for it. Each transition has at most one window: opening it again brings that
// window forward, out of the task bar if it was minimized.
class WindowRegistry : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*()>;

    explicit WindowRegistry(QStringList transitions, QObject* parent = nullptr);

    void registerWindow(const QString& identifier, Factory factory);
    // Whether a window can be opened for the transition.
    bool isAvailable(const QString& identifier) const;
    // Builds and shows the window, or brings the open one forward; an unknown or
    // unavailable transition is reported.
    QWidget* open(const QString& identifier);
    // Whether the transition's window is open.
    bool isOpen(const QString& identifier) const;

    // Shows a window of the application normal (not minimized), raised, with the keyboard.
    static void bringForward(QWidget* window);

private:
    QStringList transitions_;
    std::map<QString, Factory> factories_;
    std::map<QString, QPointer<QWidget>> presented_;
};
