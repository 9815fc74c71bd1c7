// File-system calls on paths of any length: folder enumeration into TWin32FindData records,
// file and folder tests, existence, drive availability, network paths and folder shortcuts.
// Paths at or beyond PATH_MAX are reached one folder at a time with openat; a walk can also go
// from folder to folder through open folder handles, never handing the kernel a long path.
#pragma once

#include "platform/find_data.h"

#include <cstdint>
#include <memory>
#include <QByteArray>
#include <QString>

class TFindHandle;

// Which folder a TFolderHandle is open on: device and inode.
struct TFolderId
{
    uint64_t fDevice = 0;
    uint64_t fInode = 0;

    bool operator==(const TFolderId &) const = default;
};

// An open folder (a descriptor), from which subfolders are opened and entries enumerated by name.
// Move-only; closes itself when destroyed. An invalid handle stands for a folder that could not
// be opened.
class TFolderHandle
{
public:
    TFolderHandle() = default;
    ~TFolderHandle();
    TFolderHandle(TFolderHandle &&aOther) noexcept;
    TFolderHandle &operator=(TFolderHandle &&aOther) noexcept;

    bool IsValid() const { return fFd >= 0; }
    // The folder it is open on; all zero for an invalid handle.
    TFolderId Id() const { return fId; }

private:
    // Takes aFd (-1 allowed); keeps it only when it is open on a folder.
    explicit TFolderHandle(int aFd);
    int fFd = -1;
    TFolderId fId;

    friend TFolderHandle OpenFolder(const QString &);
    friend TFolderHandle OpenSubfolder(const TFolderHandle &, const QString &);
    friend TFolderHandle OpenParentFolder(const TFolderHandle &, const TFolderId &);
    friend TFindHandle FindFirstFileIn(const TFolderHandle &, TWin32FindData &);
};

// An open enumeration from FindFirstFile. Move-only; closes itself when destroyed.
// An invalid handle stands for INVALID_HANDLE_VALUE.
class TFindHandle
{
public:
    TFindHandle();
    ~TFindHandle();
    TFindHandle(TFindHandle &&) noexcept;
    TFindHandle &operator=(TFindHandle &&) noexcept;

    bool IsValid() const { return fState != nullptr; }

private:
    struct TState;
    explicit TFindHandle(std::unique_ptr<TState> aState);
    std::unique_ptr<TState> fState;

    friend TFindHandle FindFirstFile(const QString &, TWin32FindData &);
    friend TFindHandle FindFirstFileIn(const TFolderHandle &, TWin32FindData &);
    friend bool FindNextFile(TFindHandle &, TWin32FindData &);
};

// The form in which a path is handed to the file calls: the path minus one trailing "/"
// ("/" stays "/", "/data/*" is unchanged). Linux needs no prefix for long paths.
QString GetUnicodeAPICallPath(const QString &pPath);

// Any thread. Path "<folder>/*" enumerates the folder: FindData gets its first entry, and
// FindNextFile gives the others ("." and ".." are reported like every other entry, in the
// order the file system gives them). Any other path looks up that one item. A "*" elsewhere
// or a "?" is part of a name, not a wildcard.
// Entries: FILE_ATTRIBUTE_HIDDEN when the name begins with "."; size 0 for folders; creation
// time is the birth time where the file system keeps one, else the change time.
// A symbolic link carries FILE_ATTRIBUTE_REPARSE_POINT. A link to a file reports the size and
// times of that file. A link to a folder reports the folder's times but NOT
// FILE_ATTRIBUTE_DIRECTORY, so no walker descends through it (no loops); a dangling link
// reports the link itself. An entry that cannot be examined (a folder readable but not
// searchable) is reported with its name and, when the listing says so, as a directory.
// Failure: an invalid handle, errno as the failing call left it. Never throws.
TFindHandle FindFirstFile(const QString &Path, TWin32FindData &FindData);

// Any thread. Enumerates the open folder aFolder like FindFirstFile(<folder>/*), from its first
// entry. The enumeration has its own copy of the descriptor, so aFolder may be closed meanwhile,
// but it shares the folder's reading position: one enumeration per folder handle at a time.
// Failure: an invalid handle, errno set. Never throws.
TFindHandle FindFirstFileIn(const TFolderHandle &aFolder, TWin32FindData &FindData);

// Any thread. Opens the folder aPath (any length; symbolic links followed). Invalid on failure,
// errno set. Never throws, nor do the other two.
TFolderHandle OpenFolder(const QString &aPath);

// The folder named aName inside aParent. A symbolic link is not followed: it gives an invalid
// handle, as does an invalid aParent or a name that is not found or no folder.
TFolderHandle OpenSubfolder(const TFolderHandle &aParent, const QString &aName);

// The folder that holds aFolder (its ".."), but only when that is aExpected; else, and for an
// invalid aFolder, an invalid handle. Needs permission to search aFolder.
TFolderHandle OpenParentFolder(const TFolderHandle &aFolder, const TFolderId &aExpected);

// Any thread. The next entry of the enumeration; false when no entry is left, on error, or for
// an invalid handle or a one-item lookup.
bool FindNextFile(TFindHandle &aHandle, TWin32FindData &FindData);

// Closes the enumeration now; the handle becomes invalid. Closing twice is harmless.
void FindClose(TFindHandle &aHandle);

// True when the path names something that is not a folder, symbolic links followed
// (a link to a folder is no file; a dangling link is nothing).
bool IsFile(const QString &Path);

// False for ""; true for the root "/" without touching it; otherwise whether the path,
// symbolic links followed, is a folder.
bool IsFolder(const QString &Path);

// The folder part of the path without its trailing "/" ("/a/b/" and "/a/b" give "/a/").
QString GetParentPathFromPath(const QString &Path);

// True for the names "." and "..".
bool IsFolderToIgnore(const QString &aName);

// Whether the file system at P (a volume root: "/" or a mount point) answers: statvfs on P
// succeeds. False for "". Linux has no logon or unlock prompts, so aInteractive changes nothing.
bool IsDriveAvailable(const QString &P, bool aInteractive = false);

// True when the mount that holds P is a network file system; false when P cannot be examined.
bool IsNetworkPath(const QString &P);

// The file system types that IsNetworkPath counts as network (nfs, cifs, smb3, fuse.sshfs, ...).
bool IsNetworkFileSystemType(const QByteArray &aType);

// The root: IsDriveAvailable. Anything else: FindFirstFile of the path without its trailing
// "/" finds an item (a dangling symbolic link exists).
bool PathExists(const QString &P);

// A folder shortcut is a symbolic link to a folder. P may end in "/" or "/*".
bool IsFolderShortcut(const QString &P);

// The folder a folder shortcut (P, spelled as for IsFolderShortcut) leads to, links followed to
// the end; "" when P is no symbolic link to an existing folder. A relative link target is
// resolved against the link's folder and kept in that spelling when it names the same folder.
QString ResolveFolderShortcut(const QString &P);
