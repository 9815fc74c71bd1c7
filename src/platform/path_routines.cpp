// The path vocabulary on "/"-separated paths.
#include "platform/path_routines.h"

QString WithTrailingSeparator(const QString &aPath)
{
    if (aPath.endsWith(PathSeparator))
        return aPath;
    return aPath + PathSeparator;
}

QString WithoutTrailingSeparator(const QString &aPath)
{
    if (aPath.size() > 1 && aPath.endsWith(PathSeparator))
        return aPath.chopped(1);
    return aPath;
}

QString FolderPart(const QString &aPath)
{
    return aPath.left(aPath.lastIndexOf(PathSeparator) + 1);
}

QString ParentFolder(const QString &aPath)
{
    const qsizetype i = aPath.lastIndexOf(PathSeparator); // 0-based; -1 when there is none
    if (i > 0 && aPath.at(i - 1) != PathSeparator)
        return aPath.left(i);
    return aPath.left(i + 1);
}

QString DrivePart(const QString &)
{
    return QString();
}

bool SameText(const QString &a, const QString &b)
{
    return a == b;
}

bool IsDriveRoot(const QString &aPath)
{
    return aPath.size() == 1 && aPath.at(0) == PathSeparator;
}

bool SamePath(const QString &aPath1, const QString &aPath2)
{
    auto withoutFinal = [](const QString &p) {
        return p.endsWith(PathSeparator) ? QStringView(p).chopped(1) : QStringView(p);
    };
    return withoutFinal(aPath1) == withoutFinal(aPath2);
}
