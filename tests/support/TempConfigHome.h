#pragma once

#include "tests/support/ScopedEnv.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// Points XDG_CONFIG_HOME at a fresh temporary folder for the life of the object, so
// the real preference store is used against an empty store.
class TempConfigHome {
public:
    TempConfigHome() { EXPECT_TRUE(dir_.isValid()); }

    QString storeDir() const { return dir_.path() + QStringLiteral("/Quenby"); }
    QString storeFile(const QString& name) const { return storeDir() + u'/' + name; }

private:
    QTemporaryDir dir_;
    ScopedEnv home_{"XDG_CONFIG_HOME", dir_.path().toUtf8()};
};
