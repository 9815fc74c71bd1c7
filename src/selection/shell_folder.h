// The few shell operations the folder tree needs: the items of the drives folder ("Computer":
// home, "/" and mounted volumes), the visible subfolders of a folder, display names and icon kinds,
// and the expansion of a folder text with variables.
#pragma once

#include "selection/shell_item.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// Which icon a tree item shows; the window maps each kind to an icon of the platform theme.
enum TZorShellIconKind
{
    ikComputer,   // the drives folder
    ikHome,       // the user's home folder
    ikRootFolder, // "/"
    ikVolume,     // a mounted volume
    ikFolder,     // an ordinary folder
    ikFolderLink  // a symbolic link to a folder (shown, never expanded)
};

// One item the tree may show.
struct TZorShellFolderItem
{
    TZorShellItem Item;
    QString DisplayName;
    TZorShellIconKind IconKind = ikFolder;
    // False for links to folders: the tree never expands them (no loops, one path per folder).
    bool MayHaveChildren = true;
};

// The description of a tree root: a special folder or a folder path. UI thread (the name of
// the drives folder is translated).
TZorShellFolderItem DescribeShellItem(const TZorShellItem &aItem);

// The mount points of the mounted, ready volumes below /media, /run/media and /mnt, sorted.
// Any thread.
QStringList VolumeMountPoints();

// The items below aFolder, in no particular order. The drives folder gives the home folder, "/"
// and each volume mount point. A folder path gives its subfolders and links to folders whose
// names do not begin with "." and fit aFilter ("*" or empty: every name). Returns false, with
// aItems empty, when the folder cannot be listed (or is a virtual folder without items).
// Any thread; touches the file system; never throws.
bool EnumerateShellFolder(const TZorShellItem &aFolder, const QString &aFilter,
                          std::vector<TZorShellFolderItem> &aItems);

// The folder text of SelectedFolder with its variables replaced: every "%NAME%" whose NAME is a
// set environment variable by its value, then "%DATE%" by aNow as "yyyy-MM-dd", "%TIME%" by aNow
// as "hh-mm-ss" and "%MYDOCUMENTS%" by the user's documents folder. Other text stays. Pure apart
// from reading the environment.
QString ExpandFolderText(const QString &aValue, const QDateTime &aNow);
