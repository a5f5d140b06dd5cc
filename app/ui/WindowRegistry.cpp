#include "ui/WindowRegistry.h"

#include "support/Console.h"

WindowRegistry::WindowRegistry(QStringList transitions, QObject* parent)
    : QObject(parent)
    , transitions_(std::move(transitions)) {}

void WindowRegistry::registerWindow(const QString& identifier, Factory factory) {
    factories_[identifier] = std::move(factory);
}

bool WindowRegistry::isAvailable(const QString& identifier) const {
    return factories_.contains(identifier);
}

QWidget* WindowRegistry::open(const QString& identifier) {
    if (!transitions_.contains(identifier)) {
        Console::printLine(QStringLiteral("Unknown window transition \"%1\"").arg(identifier));
        return nullptr;
    }
    QPointer<QWidget>& presented = presented_[identifier];
    if (presented) {
        bringForward(presented);
        return presented;
    }
    const auto it = factories_.find(identifier);
    QWidget* window = it == factories_.end() ? nullptr : it->second();
    if (!window) {
        Console::printLine(
            QStringLiteral("The \"%1\" window is not available yet").arg(identifier));
        return nullptr;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    presented = window;
    window->show();
    return window;
}

bool WindowRegistry::isOpen(const QString& identifier) const {
    const auto it = presented_.find(identifier);
    return it != presented_.end() && !it->second.isNull();
}

void WindowRegistry::bringForward(QWidget* window) {
    // Leaving the minimized state maps an iconic window again; show() alone keeps it iconic.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
