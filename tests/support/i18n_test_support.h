// Test helpers for the per-user files: a temporary config home and application-data folder, so
// no test reads or writes the user's own language choice or settings.
#pragma once

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Points XDG_CONFIG_HOME and APPDATA at a fresh temporary folder for the life of the fixture.
class TTempConfigHome : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fDir.isValid());
        fOldXdg = qgetenv("XDG_CONFIG_HOME");
        fOldAppData = qgetenv("APPDATA");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(ConfigHome()));
        qputenv("APPDATA", QFile::encodeName(fDir.filePath(QStringLiteral("appdata"))));
    }
    void TearDown() override
    {
        qputenv("XDG_CONFIG_HOME", fOldXdg);
        qputenv("APPDATA", fOldAppData);
    }
    QString ConfigHome() const { return fDir.filePath(QStringLiteral("config")); }
    QString WriteFile(const QString &aName, const QByteArray &aBytes)
    {
        const QString path = fDir.filePath(aName);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(aBytes);
        return path;
    }

    QTemporaryDir fDir;
    QByteArray fOldXdg;
    QByteArray fOldAppData;
};
