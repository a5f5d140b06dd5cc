#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>

// Opens the application's windows by transition identifier ("settings", "alltasks",
// "help"). Every transition is known from the start; a window is opened by the factory
// registered for it. The registry keeps the windows it presents while they are open.
class WindowRegistry : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*()>;

    explicit WindowRegistry(QStringList transitions, QObject* parent = nullptr);

    void registerWindow(const QString& identifier, Factory factory);
    // Whether a window can be opened for the transition.
    bool isAvailable(const QString& identifier) const;
    // Builds and shows the window; an unknown or unavailable transition is reported.
    QWidget* open(const QString& identifier);
    // Whether a window opened here is still open.
    bool hasOpenWindow() const;

private:
    QStringList transitions_;
    std::map<QString, Factory> factories_;
    mutable QList<QPointer<QWidget>> presented_;
};
