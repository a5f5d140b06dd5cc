#pragma once

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Points XDG_CONFIG_HOME at a fresh temporary folder for the life of the object, so
// the real preference store is used against an empty store.
class TempConfigHome {
public:
    TempConfigHome()
        : previous_(qgetenv("XDG_CONFIG_HOME")) {
        EXPECT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    }
    ~TempConfigHome() { qputenv("XDG_CONFIG_HOME", previous_); }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    QString storeDir() const { return dir_.path() + QStringLiteral("/Quenby"); }
    QString storeFile(const QString& name) const { return storeDir() + u'/' + name; }

private:
    QByteArray previous_;
    QTemporaryDir dir_;
};
