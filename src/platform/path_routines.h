// The path vocabulary shared by the selection list, the folder walker and the result list:
// trailing separators, folder part, parent folder, drive part and path comparisons.
// Pure text operations on "/"-separated Linux paths; they never touch the file system.
#pragma once

#include <QString>

// The one path separator.
inline constexpr char16_t PathSeparator = u'/';

// The path unchanged when it ends with "/", else the path followed by "/" ("" gives "/").
QString WithTrailingSeparator(const QString &aPath);

// The path with one final "/" removed; the root "/" stays "/".
QString WithoutTrailingSeparator(const QString &aPath);

// The path up to and including its last "/"; empty when it has none
// ("/a/b" gives "/a/", "/a/b/*" gives "/a/b/", "/a" gives "/").
QString FolderPart(const QString &aPath);

// The folder that holds the last name of the path, without a trailing "/" unless it is the
// root ("/a/b" gives "/a", "/a" gives "/", "/" gives "/", "name" gives "").
QString ParentFolder(const QString &aPath);

// Linux has neither drive letters nor shares: every path has the empty drive part, and its
// drive, written with a trailing separator, is the root "/".
QString DrivePart(const QString &aPath);

// Whether two texts are the same. Linux file names are case-sensitive, so this is an exact
// comparison: "/data/Docs" and "/data/docs" are two different folders.
bool SameText(const QString &a, const QString &b);

// True for the root "/" only (a pure text test; "//" and "/*" are not the root).
bool IsDriveRoot(const QString &aPath);

// Whether two paths are the same once one final "/" is removed from each (exact comparison,
// for the reason given at SameText).
bool SamePath(const QString &aPath1, const QString &aPath2);
