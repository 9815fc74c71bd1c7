// The settings file "settings.dt": where it lives, and reading and writing its one record.
#include "app/settings_file.h"

#include "platform/config_location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A record is a few kilobytes; reading stops here whatever the file's size.
constexpr qint64 kMaxSettingsBytes = 16 * 1024 * 1024;

} // namespace

QString GetSettingsFileName()
{
    const QString folder = SettingsFolder();
    QDir().mkpath(folder);
    return folder + QStringLiteral("/settings.dt");
}

TSettingsLoadResult LoadSettingsFile(const QString &aFileName, TSettingsRecord &aRecord, int &aFieldsRead)
{
    aFieldsRead = 0;
    const QFileInfo info(aFileName);
    if (!info.exists() && !info.isSymLink())
        return slMissing;
    // A folder, a pipe or a device under that name could block or never end: not a record.
    if (!info.isFile())
        return slUnreadable;
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly))
        return slUnreadable;
    const QByteArray bytes = file.read(kMaxSettingsBytes);
    aFieldsRead = DecodeSettingsRecord(bytes, aRecord);
    return slRead;
}

bool SaveSettingsFile(const QString &aFileName, const TSettingsRecord &aRecord)
{
    QSaveFile file(aFileName);
    // Unbuffered, so a short write (a full disk) shows in write()'s count: a buffered QSaveFile
    // commits a cut record without noticing.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = EncodeSettingsRecord(aRecord);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
