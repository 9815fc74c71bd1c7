// Reading and writing the options of Ordwell.conf through QSettings (INI).
#include "app/program_settings.h"

#include "platform/config_location.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kExtractionServer = QStringLiteral("ExtractionServer");
const QString kExclude = QStringLiteral("Exclude");
const QString kMatchCase = QStringLiteral("MatchCase");
const QString kWholeWords = QStringLiteral("WholeWords");
const QString kRegularExpression = QStringLiteral("RegularExpression");
const QString kTextCache = QStringLiteral("TextCache");
const QString kTextCacheLimitMb = QStringLiteral("TextCacheLimitMB");
// A limit beyond any disk (1 PiB) is a typing error.
constexpr qlonglong kMaxTextCacheLimitMb = 1LL << 30;

// A stored switch: "true" or "false" as QSettings writes them; anything else keeps aDefault.
bool Switch(const QSettings &aFile, const QString &aKey, bool aDefault)
{
    const QString value = aFile.value(aKey).toString();
    return value == u"true" ? true : value == u"false" ? false : aDefault;
}

// The file holds a few short values; a larger one is not ours to parse.
constexpr qint64 kMaxFileSize = 1024 * 1024;

} // namespace

TProgramSettings LoadProgramSettings()
{
    TProgramSettings settings;
    const QString fileName = RegistryFileName();
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile() || info.size() > kMaxFileSize)
        return settings;
    const QSettings file(fileName, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return settings;
    const QVariant server = file.value(kExtractionServer);
    if (server.typeId() == QMetaType::QString)
        settings.fExtractionServer = server.toString();
    const QVariant exclude = file.value(kExclude);
    if (exclude.typeId() == QMetaType::QString)
        settings.fExclude = exclude.toString();
    settings.fMatchCase = Switch(file, kMatchCase, settings.fMatchCase);
    settings.fWholeWords = Switch(file, kWholeWords, settings.fWholeWords);
    settings.fRegularExpression = Switch(file, kRegularExpression, settings.fRegularExpression);
    settings.fTextCache = Switch(file, kTextCache, settings.fTextCache);
    bool valid = false;
    const qlonglong limit = file.value(kTextCacheLimitMb).toString().trimmed().toLongLong(&valid);
    if (valid && limit >= 1 && limit <= kMaxTextCacheLimitMb)
        settings.fTextCacheLimitMb = limit;
    return settings;
}

bool SaveProgramSettings(const TProgramSettings &aSettings)
{
    const QString fileName = RegistryFileName();
    if (fileName.isEmpty() || !QDir().mkpath(QFileInfo(fileName).absolutePath()))
        return false;
    QSettings file(fileName, QSettings::IniFormat);
    file.setValue(kExtractionServer, aSettings.fExtractionServer);
    file.setValue(kExclude, aSettings.fExclude);
    file.setValue(kMatchCase, aSettings.fMatchCase);
    file.setValue(kWholeWords, aSettings.fWholeWords);
    file.setValue(kRegularExpression, aSettings.fRegularExpression);
    file.setValue(kTextCache, aSettings.fTextCache);
    file.setValue(kTextCacheLimitMb, qlonglong(aSettings.fTextCacheLimitMb));
    file.sync();
    return file.status() == QSettings::NoError;
}
