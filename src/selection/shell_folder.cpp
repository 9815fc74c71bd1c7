// The tree's shell operations on Linux.
#include "selection/shell_folder.h"

#include "i18n/translation.h"
#include "platform/wildcard_match.h"
#include "selection/long_path_access.h"
#include "selection/path_routines.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>

namespace {

bool IsVolumeMountPoint(const QString &aPath)
{
    static const QStringList kVolumeParents = {QStringLiteral("/media/"), QStringLiteral("/run/media/"),
                                               QStringLiteral("/mnt/")};
    return std::any_of(kVolumeParents.begin(), kVolumeParents.end(),
                       [&](const QString &parent) { return aPath.startsWith(parent) && aPath.size() > parent.size(); });
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

bool EnumerateShellFolder(const TZorShellItem &aFolder, const QString &aFilter, std::vector<TZorShellFolderItem> &aItems)
{
    aItems.clear();
    if (aFolder.IsSpecialFolder(SF_DRIVES)) {
        AddDrivesFolderItems(aItems);
        return true;
    }
    const QString folder = aFolder.Path();
    if (folder.isEmpty())
        return false;
    const QString prefix = WithTrailingSeparator(folder);
    const bool everyName = aFilter.isEmpty() || aFilter == QStringLiteral("*");
    TWin32FindData data;
    TFindHandle handle = FindFirstFile(prefix + u'*', data);
    if (!handle.IsValid())
        return false;
    do {
        const QString &name = data.cFileName;
        if (IsFolderToIgnore(name) || name.startsWith(u'.') || (!everyName && !PathMatchSpec(name, aFilter)))
            continue;
        const QString path = prefix + name;
        if (data.IsDirectory())
            aItems.push_back({TZorShellItem::FromPath(path), name, ikFolder, true});
        else if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsFolder(path))
            aItems.push_back({TZorShellItem::FromPath(path), name, ikFolderLink, false});
    } while (FindNextFile(handle, data));
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
        result += qEnvironmentVariableIsSet(name.toLocal8Bit().constData()) ? qEnvironmentVariable(name.toLocal8Bit().constData())
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
