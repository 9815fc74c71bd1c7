// The options of Ordwell.conf: defaults, a round trip, and values that are not valid.
#include "app/program_settings.h"
#include "platform/config_location.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class ProgramSettings : public ::testing::Test
{
protected:
    QTemporaryDir fDir;
    QByteArray fOldConfig = qgetenv("XDG_CONFIG_HOME");

    void SetUp() override { qputenv("XDG_CONFIG_HOME", QFile::encodeName(fDir.path())); }
    void TearDown() override
    {
        if (fOldConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", fOldConfig);
    }
    void WriteConf(const QByteArray &aText)
    {
        QDir().mkpath(fDir.filePath(QStringLiteral("Ordwell")));
        QFile file(RegistryFileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(aText);
    }
};

TEST_F(ProgramSettings, MissingFileGivesTheDefaults)
{
    const TProgramSettings settings = LoadProgramSettings();
    EXPECT_EQ(settings.fExtractionServer, QStringLiteral("auto"));
    EXPECT_TRUE(settings.fTextCache);
    EXPECT_EQ(settings.fTextCacheLimitMb, 2048);
}

TEST_F(ProgramSettings, ValuesComeBack)
{
    TProgramSettings settings;
    settings.fExtractionServer = QStringLiteral("http://127.0.0.1:9998/tika");
    settings.fTextCache = false;
    settings.fTextCacheLimitMb = 300;
    ASSERT_TRUE(SaveProgramSettings(settings));
    const TProgramSettings loaded = LoadProgramSettings();
    EXPECT_EQ(loaded.fExtractionServer, settings.fExtractionServer);
    EXPECT_FALSE(loaded.fTextCache);
    EXPECT_EQ(loaded.fTextCacheLimitMb, 300);
}

TEST_F(ProgramSettings, CacheValuesThatAreNotValidGiveTheDefaults)
{
    struct TCase
    {
        const char *fConf;
        bool fCache;
        int64_t fLimitMb;
    };
    const TCase cases[] = {
        {"[General]\nTextCache=false\nTextCacheLimitMB=10\n", false, 10},
        {"[General]\nTextCache=TRUE\nTextCacheLimitMB=0\n", true, 2048},
        {"[General]\nTextCache=maybe\nTextCacheLimitMB=-5\n", true, 2048},
        {"[General]\nTextCache=false\nTextCacheLimitMB=lots\n", false, 2048},
        {"[General]\nTextCacheLimitMB=99999999999999\n", true, 2048},
    };
    for (const TCase &c : cases) {
        WriteConf(c.fConf);
        const TProgramSettings settings = LoadProgramSettings();
        EXPECT_EQ(settings.fTextCache, c.fCache) << c.fConf;
        EXPECT_EQ(settings.fTextCacheLimitMb, c.fLimitMb) << c.fConf;
    }
}

} // namespace
