// The tree's shell operations on Linux.
#include "selection/shell_folder.h"

#include "i18n/translation.h"
#include "platform/file_name.h"
#include "platform/path_routines.h"
#include "platform/wildcard_match.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <sys/stat.h>

namespace {

bool IsVolumeMountPoint(const QString &aPath)
{
    static const QStringList kVolumeParents = {QStringLiteral("/media/"), QStringLiteral("/run/media/"),
                                               QStringLiteral("/mnt/")};
    return std::any_of(kVolumeParents.begin(), kVolumeParents.end(), [&](const QString &parent) {
        return aPath.startsWith(parent) && aPath.size() > parent.size();
    });
}

QString LastName(const QString &aPath)
{
    const QString path = WithoutTrailingSeparator(aPath);
    const qsizetype slash = path.lastIndexOf(PathSeparator);
    return slash < 0 || path.size() == 1 ? path : path.mid(slash + 1);
}

void AddDrivesFolderItems(std::vector<TZorShellFolderItem> &aItems)
{
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home != QStringLiteral("/") && QFileInfo(home).isDir())
        aItems.push_back({TZorShellItem::FromPath(home), LastName(home), ikHome, true});
    aItems.push_back({TZorShellItem::FromPath(QStringLiteral("/")), QStringLiteral("/"), ikRootFolder, true});
    for (const QString &mountPoint : VolumeMountPoints()) {
        QString name = QStorageInfo(mountPoint).name();
        if (name.isEmpty())
            name = LastName(mountPoint);
        aItems.push_back({TZorShellItem::FromPath(mountPoint), name, ikVolume, true});
    }
}

} // namespace

TZorShellFolderItem DescribeShellItem(const TZorShellItem &aItem)
{
    if (aItem.IsSpecialFolder(SF_DRIVES))
        return {aItem, Translate(QStringLiteral("Computer")), ikComputer, true};
    if (aItem.IsSpecialFolder(SF_NETWORK))
        return {aItem, Translate(QStringLiteral("Network")), ikComputer, false};
    const QString path = aItem.Path();
    if (path == QStringLiteral("/"))
        return {aItem, path, ikRootFolder, true};
    if (path == QDir::cleanPath(QDir::homePath()))
        return {aItem, LastName(path), ikHome, true};
    return {aItem, LastName(path), ikFolder, true};
}

QStringList VolumeMountPoints()
{
    QStringList mountPoints;
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        if (storage.isValid() && storage.isReady() && IsVolumeMountPoint(root) && !mountPoints.contains(root))
            mountPoints.append(root);
    }
    mountPoints.sort();
    return mountPoints;
}

bool EnumerateShellFolder(const TZorShellItem &aFolder, const QString &aFilter,
                          std::vector<TZorShellFolderItem> &aItems)
{
    aItems.clear();
    if (aFolder.IsSpecialFolder(SF_DRIVES)) {
        AddDrivesFolderItems(aItems);
        return true;
    }
    const QString folder = aFolder.Path();
    if (folder.isEmpty())
        return false;
    // readdir's entry type is enough here: no per-entry status call for ordinary folders, so a
    // folder with tens of thousands of subfolders is listed quickly on the UI thread.
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(FileNameBytes(folder).constData()), &::closedir);
    if (!dir)
        return false;
    const QString prefix = WithTrailingSeparator(folder);
    const bool everyName = aFilter.isEmpty() || aFilter == QStringLiteral("*");
    while (const dirent *entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.') // ".", ".." and hidden names
            continue;
        const QString name = FileNameText(entry->d_name);
        if (!everyName && !PathMatchSpec(name, aFilter))
            continue;
        unsigned char type = entry->d_type;
        struct stat info;
        if (type == DT_UNKNOWN)
            type = ::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ? DT_UNKNOWN
                   : S_ISDIR(info.st_mode)                                                       ? DT_DIR
                   : S_ISLNK(info.st_mode)                                                       ? DT_LNK
                                                                                                 : DT_REG;
        if (type == DT_DIR)
            aItems.push_back({TZorShellItem::FromPath(prefix + name), name, ikFolder, true});
        else if (type == DT_LNK && ::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) == 0 &&
                 S_ISDIR(info.st_mode))
            aItems.push_back({TZorShellItem::FromPath(prefix + name), name, ikFolderLink, false});
    }
    return true;
}

QString ExpandFolderText(const QString &aValue, const QDateTime &aNow)
{
    static const QRegularExpression kVariable(QStringLiteral("%([^%=]+)%"));
    QString result;
    qsizetype done = 0;
    for (QRegularExpressionMatchIterator it = kVariable.globalMatch(aValue); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1);
        result += aValue.mid(done, match.capturedStart() - done);
        result += qEnvironmentVariableIsSet(name.toLocal8Bit().constData())
                      ? qEnvironmentVariable(name.toLocal8Bit().constData())
                      : match.captured(0);
        done = match.capturedEnd();
    }
    result += aValue.mid(done);
    result.replace(QStringLiteral("%DATE%"), aNow.toString(QStringLiteral("yyyy-MM-dd")));
    result.replace(QStringLiteral("%TIME%"), aNow.toString(QStringLiteral("hh-mm-ss")));
    if (result.contains(QStringLiteral("%MYDOCUMENTS%")))
        result.replace(QStringLiteral("%MYDOCUMENTS%"),
                       QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    return result;
}
