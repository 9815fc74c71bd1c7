// Reading and writing the options of Ordwell.conf through QSettings (INI).
#include "app/program_settings.h"

#include "platform/config_location.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kExtractionServer = QStringLiteral("ExtractionServer");
const QString kExclude = QStringLiteral("Exclude");
const QString kTextCache = QStringLiteral("TextCache");
const QString kTextCacheLimitMb = QStringLiteral("TextCacheLimitMB");
// A limit beyond any disk (1 PiB) is a typing error.
constexpr qlonglong kMaxTextCacheLimitMb = 1LL << 30;
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
    // INI values come back as text.
    const QString cache = file.value(kTextCache).toString().trimmed().toLower();
    if (cache == u"true" || cache == u"false")
        settings.fTextCache = cache == u"true";
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
    file.setValue(kTextCache, aSettings.fTextCache);
    file.setValue(kTextCacheLimitMb, qlonglong(aSettings.fTextCacheLimitMb));
    file.sync();
    return file.status() == QSettings::NoError;
}
