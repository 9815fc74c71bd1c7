// Where a search without a folder walks on Linux: "/" plus the mount points of mounted volumes,
// read from the mount table, and the folders no walk enters (pseudo file systems, second mounts).
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

// One line of /proc/self/mountinfo.
struct TMountEntry
{
    QString fMountPoint; // without trailing "/" ("/" for the root)
    QString fRoot;       // the folder of the file system that is mounted there ("/" for a whole one)
    QByteArray fDevice;  // "major:minor"
    QByteArray fType;    // file system type, e.g. "ext4", "proc"
};

// Parses mountinfo text; lines it cannot read are skipped. Octal escapes (\040 etc.) are decoded.
std::vector<TMountEntry> ParseMountInfo(const QByteArray &aText);

// The mount table of this process; empty when it cannot be read. Any thread.
std::vector<TMountEntry> ReadMountTable();

// True for the kernel's pseudo file systems (proc, sysfs, devtmpfs, devpts, cgroup, cgroup2,
// debugfs, tracefs, securityfs, pstore, bpf, mqueue, hugetlbfs, configfs, fusectl, autofs,
// binfmt_misc, ...), whose entries are no user files and which no walk enters.
bool IsPseudoFileSystemType(const QByteArray &aType);

// The folders (with trailing "/") that no walk descends into: mount points of pseudo file systems,
// and mounts that show a file system (or a folder of it) already mounted at an earlier mount
// point, so that no folder is walked twice.
QSet<QString> FoldersNeverEntered(const std::vector<TMountEntry> &aMounts);

// The roots of a search of every volume: "/" first, then each mount point below /media, /run/media
// and /mnt that is no pseudo file system and no second mount, in mount-table order; each with a
// trailing "/".
QStringList VolumeRoots(const std::vector<TMountEntry> &aMounts);

// The folder a non-recursive search without a folder lists: the XDG desktop folder when it
// exists, else the home folder. Any thread.
QString DesktopFolder();
