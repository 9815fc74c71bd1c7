// Where the program keeps its per-user files: the XDG config and cache folders, the settings folder and the
// file that stands in for the per-user registry key.
#include "platform/config_location.h"

#include "platform/program_info.h"

#include <QCoreApplication>
#include <QDir>

QString UserConfigFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return QDir::cleanPath(home + QStringLiteral("/.config"));
    return QString();
}

QString UserCacheFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return QDir::cleanPath(home + QStringLiteral("/.cache"));
    return QString();
}

QString SettingsFolder()
{
    QString base = qEnvironmentVariable("APPDATA");
    if (base.isEmpty())
        base = UserConfigFolder();
    if (base.isEmpty())
        base = QCoreApplication::applicationDirPath();
    if (!base.endsWith(u'/'))
        base += u'/';
    return base + ApplicationTitle();
}

QString RegistryFileName()
{
    const QString config = UserConfigFolder();
    if (config.isEmpty())
        return QString();
    return config + u'/' + ApplicationTitle() + u'/' + ApplicationTitle() + QStringLiteral(".conf");
}
