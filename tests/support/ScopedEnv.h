#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Sets an environment variable (unsets it, for none) for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<QByteArray>& value)
        : name_(name)
        , previous_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        set(value);
    }
    ~ScopedEnv() { set(previous_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<QByteArray>& value) const {
        value ? qputenv(name_, *value) : qunsetenv(name_);
    }

    const char* name_;
    std::optional<QByteArray> previous_;
};
