// File-system calls on paths of any length, built on openat, statx and readdir.
#include "platform/long_path_access.h"

#include "platform/file_name.h"
#include "platform/path_routines.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStorageInfo>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr unsigned kStatMask = STATX_BASIC_STATS | STATX_BTIME;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kFileTimeEpochOffset = 11644473600LL;
// Links followed at most, as the kernel does.
constexpr int kMaxLinkHops = 40;

TFileTime ToFileTime(const struct statx_timestamp &aTime)
{
    const int64_t seconds = aTime.tv_sec + kFileTimeEpochOffset;
    if (seconds < 0)
        return 0;
    return TFileTime(seconds) * 10000000u + aTime.tv_nsec / 100u;
}

// Closes a descriptor without disturbing errno.
void CloseKeepingErrno(int aFd)
{
    const int saved = errno;
    ::close(aFd);
    errno = saved;
}

// Opens aPath with aFlags. Paths of PATH_MAX bytes or more are opened one name at a time, so
// their length does not matter. Returns -1 with errno set on failure.
int OpenPath(const QByteArray &aPath, int aFlags)
{
    aFlags |= O_CLOEXEC;
    if (aPath.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    if (aPath.size() < PATH_MAX)
        return ::open(aPath.constData(), aFlags);

    QList<QByteArray> names = aPath.split('/');
    names.removeAll(QByteArray());
    int dirFd = ::open(aPath.startsWith('/') ? "/" : ".",
                       names.isEmpty() ? aFlags : O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype i = 0; i < names.size() && dirFd >= 0; ++i) {
        const bool last = i + 1 == names.size();
        const int next =
            ::openat(dirFd, names[i].constData(), last ? aFlags : O_PATH | O_DIRECTORY | O_CLOEXEC);
        CloseKeepingErrno(dirFd);
        dirFd = next;
    }
    return dirFd;
}

// A path split so that aName can be looked up relative to aDirFd. Short paths use the current
// folder's descriptor with the whole path; long ones an opened parent folder.
struct TPathLookup
{
    int fDirFd = AT_FDCWD;
    QByteArray fName;
    bool fOwnsFd = false;

    explicit TPathLookup(const QByteArray &aPath)
    {
        if (aPath.size() < PATH_MAX) {
            fName = aPath;
            return;
        }
        QByteArray path = aPath;
        while (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        const qsizetype slash = path.lastIndexOf('/');
        fName = path.mid(slash + 1);
        fDirFd = OpenPath(slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : path.left(slash),
                          O_PATH | O_DIRECTORY);
        fOwnsFd = fDirFd >= 0;
    }
    ~TPathLookup()
    {
        if (fOwnsFd)
            CloseKeepingErrno(fDirFd);
    }
    TPathLookup(const TPathLookup &) = delete;
    TPathLookup &operator=(const TPathLookup &) = delete;

    bool IsUsable() const { return fDirFd != -1 && !fName.isEmpty(); }
    bool Stat(bool aFollowLinks, struct statx &aStat) const
    {
        if (!IsUsable())
            return false;
        const int flags = AT_NO_AUTOMOUNT | (aFollowLinks ? 0 : AT_SYMLINK_NOFOLLOW);
        return ::statx(fDirFd, fName.constData(), flags, kStatMask, &aStat) == 0;
    }
    QByteArray ReadLink() const
    {
        if (!IsUsable())
            return QByteArray();
        QByteArray target(PATH_MAX, '\0');
        const ssize_t length = ::readlinkat(fDirFd, fName.constData(), target.data(), target.size());
        if (length <= 0 || length >= target.size())
            return QByteArray();
        target.truncate(length);
        return target;
    }
};

bool StatPath(const QString &aPath, bool aFollowLinks, struct statx &aStat)
{
    return TPathLookup(FileNameBytes(aPath)).Stat(aFollowLinks, aStat);
}

void FillFromStat(const struct statx &aStat, TWin32FindData &aData)
{
    const bool isDirectory = S_ISDIR(aStat.stx_mode);
    aData.dwFileAttributes = isDirectory ? FILE_ATTRIBUTE_DIRECTORY : 0;
    aData.ftCreationTime = ToFileTime((aStat.stx_mask & STATX_BTIME) ? aStat.stx_btime : aStat.stx_ctime);
    aData.ftLastAccessTime = ToFileTime(aStat.stx_atime);
    aData.ftLastWriteTime = ToFileTime(aStat.stx_mtime);
    const uint64_t size = isDirectory ? 0 : aStat.stx_size;
    aData.nFileSizeHigh = uint32_t(size >> 32);
    aData.nFileSizeLow = uint32_t(size);
}

// Describes the entry aName of the folder aDirFd (or a whole path with AT_FDCWD).
// aListedType is the readdir type, DT_UNKNOWN for a one-item lookup.
void DescribeEntry(int aDirFd, const char *aName, const QString &aDisplayName, unsigned char aListedType,
                   TWin32FindData &aData)
{
    aData = TWin32FindData();
    aData.cFileName = aDisplayName;
    struct statx own = {};
    if (::statx(aDirFd, aName, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatMask, &own) != 0) {
        if (aListedType == DT_DIR)
            aData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        else if (aListedType == DT_LNK)
            aData.dwFileAttributes = FILE_ATTRIBUTE_REPARSE_POINT;
    } else if (S_ISLNK(own.stx_mode)) {
        struct statx target = {};
        if (::statx(aDirFd, aName, AT_NO_AUTOMOUNT, kStatMask, &target) == 0) {
            FillFromStat(target, aData);
            aData.dwFileAttributes &= ~FILE_ATTRIBUTE_DIRECTORY; // never entered through the link
        } else {
            FillFromStat(own, aData);
        }
        aData.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    } else {
        FillFromStat(own, aData);
    }
    if (aDisplayName.startsWith(u'.'))
        aData.dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;
}

} // namespace

struct TFindHandle::TState
{
    DIR *fDir = nullptr; // null for a one-item lookup

    ~TState()
    {
        if (fDir)
            ::closedir(fDir);
    }
};

TFolderHandle::TFolderHandle(int aFd)
{
    if (aFd < 0)
        return;
    struct stat info = {};
    if (::fstat(aFd, &info) != 0) {
        CloseKeepingErrno(aFd);
        return;
    }
    if (!S_ISDIR(info.st_mode)) {
        ::close(aFd);
        errno = ENOTDIR;
        return;
    }
    fFd = aFd;
    fId = {uint64_t(info.st_dev), uint64_t(info.st_ino)};
}

TFolderHandle::~TFolderHandle()
{
    if (fFd >= 0)
        CloseKeepingErrno(fFd);
}

TFolderHandle::TFolderHandle(TFolderHandle &&aOther) noexcept
    : fFd(std::exchange(aOther.fFd, -1)), fId(std::exchange(aOther.fId, TFolderId()))
{
}

TFolderHandle &TFolderHandle::operator=(TFolderHandle &&aOther) noexcept
{
    if (this != &aOther) {
        if (fFd >= 0)
            CloseKeepingErrno(fFd);
        fFd = std::exchange(aOther.fFd, -1);
        fId = std::exchange(aOther.fId, TFolderId());
    }
    return *this;
}

TFolderHandle OpenFolder(const QString &aPath)
{
    return TFolderHandle(OpenPath(FileNameBytes(GetUnicodeAPICallPath(aPath)), O_RDONLY | O_DIRECTORY));
}

TFolderHandle OpenSubfolder(const TFolderHandle &aParent, const QString &aName)
{
    if (!aParent.IsValid() || aName.isEmpty()) {
        errno = ENOENT;
        return TFolderHandle();
    }
    return TFolderHandle(::openat(aParent.fFd, FileNameBytes(aName).constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

TFolderHandle OpenParentFolder(const TFolderHandle &aFolder, const TFolderId &aExpected)
{
    if (!aFolder.IsValid()) {
        errno = EBADF;
        return TFolderHandle();
    }
    TFolderHandle parent(::openat(aFolder.fFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.IsValid() && parent.Id() != aExpected) {
        errno = ESTALE;
        return TFolderHandle();
    }
    return parent;
}

TFindHandle::TFindHandle() = default;
TFindHandle::TFindHandle(std::unique_ptr<TState> aState) : fState(std::move(aState)) {}
TFindHandle::~TFindHandle() = default;
TFindHandle::TFindHandle(TFindHandle &&) noexcept = default;
TFindHandle &TFindHandle::operator=(TFindHandle &&) noexcept = default;

QString GetUnicodeAPICallPath(const QString &pPath)
{
    return WithoutTrailingSeparator(pPath);
}

TFindHandle FindFirstFile(const QString &Path, TWin32FindData &FindData)
{
    const QString path = GetUnicodeAPICallPath(Path);
    if (path.isEmpty()) {
        errno = ENOENT;
        return TFindHandle();
    }
    auto state = std::make_unique<TFindHandle::TState>();
    if (path == u"*" || path.endsWith(u"/*")) {
        const QString folder = path.size() == 1 ? QStringLiteral(".") : path.chopped(1);
        const int fd = OpenPath(FileNameBytes(folder), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return TFindHandle();
        state->fDir = ::fdopendir(fd);
        if (!state->fDir) {
            CloseKeepingErrno(fd);
            return TFindHandle();
        }
        TFindHandle handle(std::move(state));
        if (!FindNextFile(handle, FindData))
            return TFindHandle();
        return handle;
    }

    const TPathLookup lookup(FileNameBytes(path));
    struct statx probe = {};
    if (!lookup.Stat(false, probe))
        return TFindHandle();
    const QString name = path == u"/" ? path : path.mid(path.lastIndexOf(PathSeparator) + 1);
    DescribeEntry(lookup.fDirFd, lookup.fName.constData(), name, DT_UNKNOWN, FindData);
    return TFindHandle(std::move(state));
}

TFindHandle FindFirstFileIn(const TFolderHandle &aFolder, TWin32FindData &FindData)
{
    if (!aFolder.IsValid()) {
        errno = EBADF;
        return TFindHandle();
    }
    const int fd = ::fcntl(aFolder.fFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return TFindHandle();
    auto state = std::make_unique<TFindHandle::TState>();
    state->fDir = ::fdopendir(fd);
    if (!state->fDir) {
        CloseKeepingErrno(fd);
        return TFindHandle();
    }
    ::rewinddir(state->fDir); // the copy reads from where the folder's descriptor stands
    TFindHandle handle(std::move(state));
    if (!FindNextFile(handle, FindData))
        return TFindHandle();
    return handle;
}

bool FindNextFile(TFindHandle &aHandle, TWin32FindData &FindData)
{
    if (!aHandle.fState || !aHandle.fState->fDir)
        return false;
    DIR *dir = aHandle.fState->fDir;
    errno = 0;
    const dirent *entry = ::readdir(dir);
    if (!entry)
        return false;
    DescribeEntry(::dirfd(dir), entry->d_name, FileNameText(entry->d_name), entry->d_type, FindData);
    return true;
}

void FindClose(TFindHandle &aHandle)
{
    aHandle = TFindHandle();
}

bool IsFile(const QString &Path)
{
    struct statx info = {};
    return StatPath(GetUnicodeAPICallPath(Path), true, info) && !S_ISDIR(info.stx_mode);
}

bool IsFolder(const QString &Path)
{
    if (Path.isEmpty())
        return false;
    if (IsDriveRoot(Path))
        return true;
    struct statx info = {};
    return StatPath(GetUnicodeAPICallPath(Path), true, info) && S_ISDIR(info.stx_mode);
}

QString GetParentPathFromPath(const QString &Path)
{
    return FolderPart(WithoutTrailingSeparator(Path));
}

bool IsFolderToIgnore(const QString &aName)
{
    return aName == u"." || aName == u"..";
}

bool IsDriveAvailable(const QString &P, bool aInteractive)
{
    Q_UNUSED(aInteractive);
    if (P.isEmpty())
        return false;
    struct statvfs info = {};
    return ::statvfs(FileNameBytes(P).constData(), &info) == 0;
}

bool IsNetworkFileSystemType(const QByteArray &aType)
{
    static const QSet<QByteArray> kNetworkTypes = {"nfs",
                                                   "nfs4",
                                                   "cifs",
                                                   "smb3",
                                                   "smbfs",
                                                   "ncpfs",
                                                   "afs",
                                                   "9p",
                                                   "ceph",
                                                   "glusterfs",
                                                   "lustre",
                                                   "fuse.sshfs",
                                                   "sshfs",
                                                   "fuse.glusterfs",
                                                   "davfs",
                                                   "fuse.davfs2",
                                                   "fuse.rclone",
                                                   "fuse.s3fs",
                                                   "fuse.curlftpfs",
                                                   "fuse.smbnetfs",
                                                   "fuse.gvfsd-fuse"};
    return kNetworkTypes.contains(aType);
}

bool IsNetworkPath(const QString &P)
{
    if (P.isEmpty() || FileNameBytes(P).size() >= PATH_MAX)
        return false;
    const QStorageInfo storage(P);
    return storage.isValid() && IsNetworkFileSystemType(storage.fileSystemType());
}

bool PathExists(const QString &P)
{
    if (IsDriveRoot(P))
        return IsDriveAvailable(P, true);
    TWin32FindData data;
    return FindFirstFile(WithoutTrailingSeparator(P), data).IsValid();
}

namespace {

// P without a final "*" and then without a final "/".
QString ShortcutPath(const QString &P)
{
    return WithoutTrailingSeparator(P.endsWith(u'*') ? P.chopped(1) : P);
}

bool IsLinkToFolder(const QString &aPath)
{
    struct statx own = {}, target = {};
    return StatPath(aPath, false, own) && S_ISLNK(own.stx_mode) && StatPath(aPath, true, target) &&
           S_ISDIR(target.stx_mode);
}

bool SameObject(const struct statx &a, const struct statx &b)
{
    return a.stx_ino == b.stx_ino && a.stx_dev_major == b.stx_dev_major && a.stx_dev_minor == b.stx_dev_minor;
}

} // namespace

bool IsFolderShortcut(const QString &P)
{
    const QString path = ShortcutPath(P);
    return !path.isEmpty() && IsLinkToFolder(path);
}

QString ResolveFolderShortcut(const QString &P)
{
    const QString link = ShortcutPath(P);
    struct statx destination = {};
    if (link.isEmpty() || !IsLinkToFolder(link) || !StatPath(link, true, destination))
        return QString();

    // Follow the links one by one, so a relative target keeps the spelling of the link's folder.
    QString current = link;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct statx own = {};
        if (!StatPath(current, false, own))
            break;
        if (!S_ISLNK(own.stx_mode)) {
            struct statx reached = {};
            if (StatPath(current, true, reached) && SameObject(reached, destination))
                return current;
            break; // ".." across a linked folder went elsewhere: ask the kernel
        }
        const QString target = FileNameText(TPathLookup(FileNameBytes(current)).ReadLink());
        if (target.isEmpty())
            break;
        current = QDir::cleanPath(target.startsWith(PathSeparator) ? target : FolderPart(current) + target);
    }
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(FileNameBytes(link).constData(), nullptr),
                                                     &std::free);
    return real ? FileNameText(real.get()) : QString();
}
