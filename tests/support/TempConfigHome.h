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
        : previous(qgetenv("XDG_CONFIG_HOME")) {
        EXPECT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    }
    ~TempConfigHome() { qputenv("XDG_CONFIG_HOME", previous); }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    QString storeDir() const { return dir.path() + QStringLiteral("/Quenby"); }
    QString storeFile(const QString& name) const { return storeDir() + u'/' + name; }

private:
    QByteArray previous;
    QTemporaryDir dir;
};
