// File operations of the result list's commands.
#include "filesearch/file_operations.h"

#include "platform/file_name.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QUrl>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kGnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
const QString kKdeCutSelection = QStringLiteral("application/x-kde-cutselection");

TFileOperationResult Failure(const QString &pError)
{
    return {false, {}, pError};
}

TFileOperationResult Success(const QString &pNewPath)
{
    return {true, pNewPath, {}};
}

QString ErrnoText(int pError)
{
    return QString::fromLocal8Bit(std::strerror(pError));
}

// rename(2) that refuses to replace an existing entry. Returns 0 or an errno value.
int RenameNoReplace(const QString &pFrom, const QString &pTo)
{
    const QByteArray from = FileNameBytes(pFrom);
    const QByteArray to = FileNameBytes(pTo);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without RENAME_NOREPLACE: test first (a small window remains).
    struct stat info;
    if (::lstat(to.constData(), &info) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// The absolute form of a path, without a trailing "/" (a string operation: the file system is
// not asked, so a name of any bytes stays as it is).
QString AbsolutePath(const QString &pPath)
{
    QString path = pPath.startsWith(u'/') ? pPath : QDir::currentPath() + u'/' + pPath;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

QString FolderOf(const QString &pPath)
{
    const QString path = AbsolutePath(pPath);
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString NameOf(const QString &pPath)
{
    const QString path = AbsolutePath(pPath);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// Whether anything is at pPath, a dangling symbolic link included.
bool EntryExists(const QString &pPath)
{
    struct stat info;
    return ::lstat(FileNameBytes(pPath).constData(), &info) == 0;
}

bool IsFolderPath(const QString &pPath)
{
    struct stat info;
    return ::stat(FileNameBytes(pPath).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Copies the regular file pFrom to pTo, which must not exist yet, with its permission bits.
// Returns 0 or an errno value; a partial copy is removed.
int CopyFileNoReplace(const QString &pFrom, const QString &pTo)
{
    const int source = ::open(FileNameBytes(pFrom).constData(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return errno;
    struct stat info;
    if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISREG(info.st_mode) ? errno : EINVAL;
        ::close(source);
        return error;
    }
    const QByteArray to = FileNameBytes(pTo);
    const int target = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
    if (target < 0) {
        const int error = errno;
        ::close(source);
        return error;
    }
    int error = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < got && error == 0;) {
            const ssize_t put = ::write(target, buffer + done, size_t(got - done));
            if (put < 0 && errno != EINTR)
                error = errno;
            else if (put > 0)
                done += put;
        }
        if (error != 0)
            break;
    }
    ::close(source);
    if (::close(target) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(to.constData());
    return error;
}

// The desktop's home trash for a name Qt's own trash would change:
// the entry is renamed into "files" beside its ".trashinfo", on the same file system only.
TFileOperationResult MoveRawNameToHomeTrash(const QString &pPath, const QString &pTrash)
{
    const QString name = NameOf(pPath);
    QString infoPath;
    QString target;
    int fd = -1;
    for (int n = 1; fd < 0; ++n) {
        const QString candidate = n == 1 ? name : name + QStringLiteral(".%1").arg(n);
        infoPath = pTrash + QStringLiteral("/info/") + candidate + QStringLiteral(".trashinfo");
        target = pTrash + QStringLiteral("/files/") + candidate;
        fd = ::open(FileNameBytes(infoPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return Failure(ErrnoText(errno));
    }
    const QByteArray info =
        "[Trash Info]\nPath=" + FileNameBytes(AbsolutePath(pPath)).toPercentEncoding("/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() + "\n";
    const bool written = ::write(fd, info.constData(), size_t(info.size())) == info.size();
    ::close(fd);
    const int error = written ? RenameNoReplace(pPath, target) : EIO;
    if (error != 0) {
        ::unlink(FileNameBytes(infoPath).constData());
        return Failure(ErrnoText(error));
    }
    return Success(target);
}

QString DateText(const QDateTime &pTime)
{
    return pTime.isValid() ? QLocale().toString(pTime.toLocalTime(), QLocale::LongFormat) : QString();
}

} // namespace

bool IsValidFileName(const QString &pName)
{
    return !pName.isEmpty() && pName != u"." && pName != u".." && !pName.contains(u'/') &&
           !pName.contains(QChar(0));
}

TFileOperationResult RenameFileTo(const QString &pPath, const QString &pNewName)
{
    if (!IsValidFileName(pNewName))
        return Failure(ErrnoText(EINVAL));
    if (!EntryExists(pPath))
        return Failure(ErrnoText(ENOENT));
    if (NameOf(pPath) == pNewName)
        return Success(pPath);
    const QString folder = FolderOf(pPath);
    const QString target = (folder == u"/" ? folder : folder + u'/') + pNewName;
    const int error = RenameNoReplace(AbsolutePath(pPath), target);
    return error == 0 ? Success(target) : Failure(ErrnoText(error));
}

TFileOperationResult MoveFileToTrash(const QString &pPath)
{
    if (!EntryExists(pPath))
        return Failure(ErrnoText(ENOENT));
    // Qt falls back to the home trash when a volume has none of its own, and when that cannot be
    // made either it files the entry under the current folder. Make sure the home trash exists
    // (creating the data folder as a desktop session would), or refuse.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome + QStringLiteral("/Trash")))
        return Failure(QStringLiteral("The trash folder cannot be made in ") + dataHome);
    if (HasRawBytes(pPath)) {
        const QString trash = dataHome + QStringLiteral("/Trash");
        if (!QDir().mkpath(trash + QStringLiteral("/files")) ||
            !QDir().mkpath(trash + QStringLiteral("/info")))
            return Failure(QStringLiteral("The trash folder cannot be made in ") + dataHome);
        return MoveRawNameToHomeTrash(pPath, trash);
    }
    QFile file(pPath);
    if (!file.moveToTrash())
        return Failure(file.errorString());
    return Success(file.fileName());
}

QString FreeTargetPath(const QString &pFolder, const QString &pName)
{
    const QString folder = pFolder.endsWith(u'/') ? pFolder : pFolder + u'/';
    QString candidate = folder + pName;
    if (!EntryExists(candidate))
        return candidate;
    const qsizetype dot = pName.lastIndexOf(u'.');
    const bool hasSuffix = dot > 0;
    const QString base = hasSuffix ? pName.left(dot) : pName;
    const QString suffix = hasSuffix ? pName.mid(dot) : QString();
    for (int n = 2;; ++n) {
        candidate = folder + base + QStringLiteral(" (%1)").arg(n) + suffix;
        if (!EntryExists(candidate))
            return candidate;
    }
}

TFileOperationResult PasteFile(const QString &pSource, const QString &pFolder, bool pMove)
{
    const QString source = AbsolutePath(pSource);
    struct stat sourceInfo;
    if (::stat(FileNameBytes(source).constData(), &sourceInfo) != 0)
        return Failure(ErrnoText(ENOENT));
    const bool sourceIsFolder = S_ISDIR(sourceInfo.st_mode);
    if (!IsFolderPath(pFolder))
        return Failure(ErrnoText(ENOTDIR));
    if (pMove && FolderOf(source) == AbsolutePath(pFolder))
        return Success(source);
    if (sourceIsFolder && !pMove)
        return Failure(ErrnoText(EISDIR));
    const QString target = FreeTargetPath(pFolder, NameOf(source));
    if (pMove) {
        const int error = RenameNoReplace(source, target);
        if (error == 0)
            return Success(target);
        if (error != EXDEV || sourceIsFolder)
            return Failure(ErrnoText(error));
    }
    if (const int error = CopyFileNoReplace(source, target); error != 0)
        return Failure(ErrnoText(error));
    if (pMove && ::unlink(FileNameBytes(source).constData()) != 0)
        return Failure(ErrnoText(errno));
    return Success(target);
}

std::unique_ptr<QMimeData> FileListMimeData(const QStringList &pPaths, bool pCut)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    QByteArray gnome = pCut ? QByteArrayLiteral("cut") : QByteArrayLiteral("copy");
    for (const QString &path : pPaths) {
        const QUrl url = FileUrl(path);
        urls.append(url);
        gnome += '\n' + url.toEncoded();
    }
    data->setUrls(urls);
    data->setText(DisplayFileName(pPaths.join(u'\n')));
    data->setData(kGnomeCopiedFiles, gnome);
    if (pCut)
        data->setData(kKdeCutSelection, QByteArrayLiteral("1"));
    return data;
}

QStringList FilePathsOfMimeData(const QMimeData &pData, bool *pCut)
{
    QStringList paths;
    for (const QUrl &url : pData.urls())
        if (url.isLocalFile())
            paths.append(PathOfFileUrl(url));
    if (pCut) {
        *pCut =
            pData.data(kKdeCutSelection).startsWith('1') || pData.data(kGnomeCopiedFiles).startsWith("cut\n");
    }
    return paths;
}

QString PermissionText(const QString &pPath)
{
    struct stat info;
    if (::lstat(FileNameBytes(pPath).constData(), &info) != 0)
        return {};
    QString text = S_ISDIR(info.st_mode)   ? QStringLiteral("d")
                   : S_ISLNK(info.st_mode) ? QStringLiteral("l")
                                           : QStringLiteral("-");
    const char letters[] = "rwx";
    for (int bit = 8; bit >= 0; --bit)
        text += (info.st_mode & (1u << bit)) ? QChar(letters[(8 - bit) % 3]) : QChar(u'-');
    return text;
}

QList<QPair<QString, QString>> FilePropertyRows(const QString &pPath)
{
    if (HasRawBytes(pPath)) {
        // Qt's file information would look at another name: what the system says of this one.
        struct stat info;
        if (::stat(FileNameBytes(pPath).constData(), &info) != 0)
            return {};
        const bool folder = S_ISDIR(info.st_mode);
        const QString type =
            folder ? QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment()
                   : QMimeDatabase()
                         .mimeTypeForFile(DisplayFileName(NameOf(pPath)), QMimeDatabase::MatchExtension)
                         .comment();
        const QString size =
            folder ? QString()
                   : QLocale().formattedDataSize(info.st_size) +
                         QStringLiteral(" (%1 bytes)").arg(QLocale().toString(qint64(info.st_size)));
        const auto time = [](const timespec &aTime) {
            return QDateTime::fromMSecsSinceEpoch(qint64(aTime.tv_sec) * 1000 + aTime.tv_nsec / 1000000);
        };
        return {{QStringLiteral("Path:"), DisplayFileName(AbsolutePath(pPath))},
                {QStringLiteral("Type:"), type},
                {QStringLiteral("Size:"), size},
                {QStringLiteral("Created:"), DateText(time(info.st_ctim))},
                {QStringLiteral("Modified:"), DateText(time(info.st_mtim))},
                {QStringLiteral("Accessed:"), DateText(time(info.st_atim))},
                {QStringLiteral("Permissions:"), PermissionText(pPath)}};
    }
    const QFileInfo info(pPath);
    if (!info.exists())
        return {};
    const QString type = info.isDir()
                             ? QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment()
                             : QMimeDatabase().mimeTypeForFile(info).comment();
    const QString size = info.isDir()
                             ? QString()
                             : QLocale().formattedDataSize(info.size()) +
                                   QStringLiteral(" (%1 bytes)").arg(QLocale().toString(info.size()));
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.metadataChangeTime();
    return {{QStringLiteral("Path:"), info.absoluteFilePath()},
            {QStringLiteral("Type:"), type},
            {QStringLiteral("Size:"), size},
            {QStringLiteral("Created:"), DateText(created)},
            {QStringLiteral("Modified:"), DateText(info.lastModified())},
            {QStringLiteral("Accessed:"), DateText(info.lastRead())},
            {QStringLiteral("Permissions:"), PermissionText(pPath)}};
}
