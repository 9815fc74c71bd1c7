// Mount table reading and the walk roots of a search of every volume.
#include "filesearch/volume_roots.h"

#include "platform/file_name.h"
#include "platform/path_routines.h"

#include <array>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QByteArray Unescape(const QByteArray &aField)
{
    QByteArray result;
    result.reserve(aField.size());
    for (qsizetype i = 0; i < aField.size(); ++i) {
        const char c = aField[i];
        if (c == '\\' && i + 3 < aField.size()) {
            const QByteArray digits = aField.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3 && value < 256) {
                result.append(char(value));
                i += 3;
                continue;
            }
        }
        result.append(c);
    }
    return result;
}

bool IsBelowVolumeFolder(const QString &aMountPoint)
{
    static const std::array<QString, 3> kVolumeFolders{
        QStringLiteral("/media/"), QStringLiteral("/run/media/"), QStringLiteral("/mnt/")};
    for (const QString &folder : kVolumeFolders)
        if (aMountPoint.startsWith(folder) && aMountPoint.size() > folder.size())
            return true;
    return false;
}

// Indexes of the mounts that repeat a file system (or part of one) mounted earlier.
QSet<size_t> SecondMounts(const std::vector<TMountEntry> &aMounts)
{
    QSet<QByteArray> seen;      // device + root
    QSet<QByteArray> wholeSeen; // devices mounted with root "/"
    QSet<size_t> second;
    for (size_t i = 0; i < aMounts.size(); ++i) {
        const TMountEntry &mount = aMounts[i];
        if (IsPseudoFileSystemType(mount.fType))
            continue;
        const QByteArray key = mount.fDevice + ' ' + mount.fRoot.toUtf8();
        if (seen.contains(key) || (mount.fRoot != QStringLiteral("/") && wholeSeen.contains(mount.fDevice)))
            second.insert(i);
        seen.insert(key);
        if (mount.fRoot == QStringLiteral("/"))
            wholeSeen.insert(mount.fDevice);
    }
    return second;
}
} // namespace

std::vector<TMountEntry> ParseMountInfo(const QByteArray &aText)
{
    std::vector<TMountEntry> mounts;
    for (const QByteArray &line : aText.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 6 || dash + 1 >= fields.size())
            continue;
        TMountEntry mount;
        mount.fDevice = fields[2];
        mount.fRoot = FileNameText(Unescape(fields[3]));
        mount.fMountPoint = FileNameText(Unescape(fields[4]));
        mount.fType = fields[dash + 1];
        if (!mount.fMountPoint.startsWith(PathSeparator))
            continue;
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

std::vector<TMountEntry> ReadMountTable()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A proc file reports size 0: read until the end.
    return ParseMountInfo(file.readAll());
}

bool IsPseudoFileSystemType(const QByteArray &aType)
{
    static const QSet<QByteArray> kPseudo{"proc",    "sysfs",       "devtmpfs",  "devpts",     "cgroup",
                                          "cgroup2", "debugfs",     "tracefs",   "securityfs", "pstore",
                                          "bpf",     "mqueue",      "hugetlbfs", "configfs",   "fusectl",
                                          "autofs",  "binfmt_misc", "efivarfs",  "rpc_pipefs", "nsfs"};
    return kPseudo.contains(aType);
}

QSet<QString> FoldersNeverEntered(const std::vector<TMountEntry> &aMounts)
{
    QSet<QString> folders;
    const QSet<size_t> second = SecondMounts(aMounts);
    for (size_t i = 0; i < aMounts.size(); ++i)
        if (!IsDriveRoot(aMounts[i].fMountPoint) &&
            (IsPseudoFileSystemType(aMounts[i].fType) || second.contains(i)))
            folders.insert(WithTrailingSeparator(aMounts[i].fMountPoint));
    return folders;
}

QStringList VolumeRoots(const std::vector<TMountEntry> &aMounts)
{
    QStringList roots{QStringLiteral("/")};
    const QSet<size_t> second = SecondMounts(aMounts);
    for (size_t i = 0; i < aMounts.size(); ++i) {
        const TMountEntry &mount = aMounts[i];
        const QString root = WithTrailingSeparator(mount.fMountPoint);
        if (IsBelowVolumeFolder(mount.fMountPoint) && !IsPseudoFileSystemType(mount.fType) &&
            !second.contains(i) && !roots.contains(root))
            roots.append(root);
    }
    return roots;
}

QString DesktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return desktop;
    return QDir::homePath();
}
