// Shell items: paths and special folders.
#include "selection/shell_item.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

TZorShellItem TZorShellItem::FromPath(const QString &aPath)
{
    TZorShellItem item;
    if (!aPath.isEmpty()) {
        item.fKind = kPath;
        item.fPath = aPath;
    }
    return item;
}

TZorShellItem TZorShellItem::FromSpecialFolder(TZorSpecialFolder aFolder)
{
    TZorShellItem item;
    item.fKind = kSpecial;
    item.fFolder = aFolder;
    return item;
}

QString TZorShellItem::Path() const
{
    if (fKind == kPath)
        return fPath;
    if (IsSpecialFolder(SF_DESKTOP)) {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        return !desktop.isEmpty() && QFileInfo(desktop).isDir() ? desktop : QDir::homePath();
    }
    return QString();
}

bool TZorShellItem::operator==(const TZorShellItem &aOther) const
{
    if (fKind != aOther.fKind)
        return false;
    if (fKind == kPath)
        return fPath == aOther.fPath;
    return fKind == kNone || fFolder == aOther.fFolder;
}
