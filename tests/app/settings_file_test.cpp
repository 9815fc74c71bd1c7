// The settings file: its location, atomic replacement and reading back.
#include "app/settings_file.h"
#include "platform/config_location.h"
#include "support/i18n_test_support.h"

#include <csignal>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class SettingsFile : public TTempConfigHome
{
protected:
    QByteArray Read(const QString &aPath)
    {
        QFile file(aPath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    void Write(const QString &aPath, const QByteArray &aBytes)
    {
        QFile file(aPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(aBytes);
    }
};

TEST_F(SettingsFile, FirstRunCreatesTheFolderUnderAppData)
{
    const QString name = GetSettingsFileName();
    EXPECT_EQ(name, fDir.filePath(QStringLiteral("appdata/Ordwell/settings.dt")));
    EXPECT_TRUE(QFileInfo(fDir.filePath(QStringLiteral("appdata/Ordwell"))).isDir());
    TSettingsRecord record;
    record.fWidth = 5;
    int fields = -1;
    EXPECT_EQ(LoadSettingsFile(name, record, fields), slMissing);
    EXPECT_EQ(fields, 0);
    EXPECT_EQ(record.fWidth, 5);
}

TEST_F(SettingsFile, WithoutAppDataTheXdgConfigFolderIsUsed)
{
    qputenv("APPDATA", "");
    EXPECT_EQ(GetSettingsFileName(), fDir.filePath(QStringLiteral("config/Ordwell/settings.dt")));
    qunsetenv("XDG_CONFIG_HOME");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(fDir.filePath(QStringLiteral("home"))));
    EXPECT_EQ(GetSettingsFileName(), fDir.filePath(QStringLiteral("home/.config/Ordwell/settings.dt")));
    // No usable folder at all: beside the executable.
    qputenv("HOME", "");
    EXPECT_EQ(SettingsFolder(), QCoreApplication::applicationDirPath() + QStringLiteral("/Ordwell"));
    qputenv("HOME", oldHome);
}

TEST_F(SettingsFile, RoundTripThroughTheFile)
{
    const QString name = GetSettingsFileName();
    TSettingsRecord written;
    written.fSearchAll = false;
    written.fSearchOption = 1;
    written.fFileSize = QStringLiteral("250");
    written.fLeft = 100;
    written.fTop = 80;
    written.fWidth = 900;
    written.fHeight = 600;
    written.fSelectedFolder = QStringLiteral("/srv/data");
    ASSERT_TRUE(SaveSettingsFile(name, written));
    EXPECT_EQ(Read(name), EncodeSettingsRecord(written));
    TSettingsRecord read;
    int fields = 0;
    EXPECT_EQ(LoadSettingsFile(name, read, fields), slRead);
    EXPECT_EQ(fields, kSettingsFieldCount);
    EXPECT_EQ(read, written);
}

TEST_F(SettingsFile, ShorterRecordReplacesALongerFileWhole)
{
    const QString name = GetSettingsFileName();
    TSettingsRecord longer;
    longer.fTextToFind = QString(5000, u'x');
    longer.fSelectedFolder = QStringLiteral("/a/very/long/folder/name");
    ASSERT_TRUE(SaveSettingsFile(name, longer));
    TSettingsRecord shorter;
    shorter.fWidth = 640;
    ASSERT_TRUE(SaveSettingsFile(name, shorter));
    EXPECT_EQ(Read(name), EncodeSettingsRecord(shorter));
    TSettingsRecord read;
    int fields = 0;
    EXPECT_EQ(LoadSettingsFile(name, read, fields), slRead);
    EXPECT_EQ(read, shorter);
}

TEST_F(SettingsFile, ZeroByteFileExistsButRestoresNothing)
{
    const QString name = GetSettingsFileName();
    Write(name, QByteArray());
    TSettingsRecord read;
    read.fLeft = 358;
    int fields = -1;
    EXPECT_EQ(LoadSettingsFile(name, read, fields), slRead);
    EXPECT_EQ(fields, 0);
    EXPECT_EQ(read.fLeft, 358);
}

TEST_F(SettingsFile, FailedSaveLeavesThePreviousFileWhole)
{
    const QString name = GetSettingsFileName();
    TSettingsRecord first;
    first.fWidth = 111;
    ASSERT_TRUE(SaveSettingsFile(name, first));
    // A full disk, played by a file size limit of 40 bytes: the new record cannot be written.
    TSettingsRecord second;
    second.fWidth = 222;
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit old = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 40;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SaveSettingsFile(name, second);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(Read(name).size(), EncodeSettingsRecord(first).size());
    EXPECT_EQ(Read(name), EncodeSettingsRecord(first));
    const QString folder = QFileInfo(name).absolutePath();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("settings.dt")});
}

TEST_F(SettingsFile, SaveIntoAMissingFolderFails)
{
    EXPECT_FALSE(
        SaveSettingsFile(fDir.filePath(QStringLiteral("no/such/folder/settings.dt")), TSettingsRecord()));
}

TEST_F(SettingsFile, SomethingElseUnderTheNameIsUnreadable)
{
    const QString name = GetSettingsFileName();
    ASSERT_TRUE(QDir().mkpath(name));
    TSettingsRecord read;
    int fields = -1;
    EXPECT_EQ(LoadSettingsFile(name, read, fields), slUnreadable);
    EXPECT_EQ(fields, 0);
    QDir().rmdir(name);
    ASSERT_EQ(::mkfifo(QFile::encodeName(name).constData(), 0600), 0);
    EXPECT_EQ(LoadSettingsFile(name, read, fields), slUnreadable);
    EXPECT_FALSE(SaveSettingsFile(name + QStringLiteral("/x"), read));
}

TEST_F(SettingsFile, HugeFileIsReadOnlyAsFarAsTheRecordGoes)
{
    const QString name = GetSettingsFileName();
    TSettingsRecord written;
    written.fSelectedFolder = QStringLiteral("/x");
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(EncodeSettingsRecord(written));
        // A sparse tail of 64 GiB: never read whole.
        ASSERT_TRUE(file.resize(qint64(64) * 1024 * 1024 * 1024));
    }
    TSettingsRecord read;
    int fields = 0;
    EXPECT_EQ(LoadSettingsFile(name, read, fields), slRead);
    EXPECT_EQ(fields, kSettingsFieldCount);
    EXPECT_EQ(read, written);
}

} // namespace
