// File operations of the result list's commands.
#include "filesearch/file_operations.h"

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
    const QByteArray from = QFile::encodeName(pFrom);
    const QByteArray to = QFile::encodeName(pTo);
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

QString FolderOf(const QString &pPath)
{
    return QFileInfo(pPath).absolutePath();
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
    const QFileInfo info(pPath);
    if (!info.exists() && !info.isSymLink())
        return Failure(ErrnoText(ENOENT));
    if (info.fileName() == pNewName)
        return Success(pPath);
    const QString target = info.absolutePath() + u'/' + pNewName;
    const int error = RenameNoReplace(info.absoluteFilePath(), target);
    return error == 0 ? Success(target) : Failure(ErrnoText(error));
}

TFileOperationResult MoveFileToTrash(const QString &pPath)
{
    if (!QFileInfo(pPath).exists() && !QFileInfo(pPath).isSymLink())
        return Failure(ErrnoText(ENOENT));
    // Qt falls back to the home trash when a volume has none of its own, and when that cannot be
    // made either it files the entry under the current folder. Make sure the home trash exists
    // (creating the data folder as a desktop session would), or refuse.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome + QStringLiteral("/Trash")))
        return Failure(QStringLiteral("The trash folder cannot be made in ") + dataHome);
    QFile file(pPath);
    if (!file.moveToTrash())
        return Failure(file.errorString());
    return Success(file.fileName());
}

QString FreeTargetPath(const QString &pFolder, const QString &pName)
{
    const QString folder = pFolder.endsWith(u'/') ? pFolder : pFolder + u'/';
    QString candidate = folder + pName;
    if (!QFileInfo(candidate).exists() && !QFileInfo(candidate).isSymLink())
        return candidate;
    const qsizetype dot = pName.lastIndexOf(u'.');
    const bool hasSuffix = dot > 0;
    const QString base = hasSuffix ? pName.left(dot) : pName;
    const QString suffix = hasSuffix ? pName.mid(dot) : QString();
    for (int n = 2;; ++n) {
        candidate = folder + base + QStringLiteral(" (%1)").arg(n) + suffix;
        if (!QFileInfo(candidate).exists() && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

TFileOperationResult PasteFile(const QString &pSource, const QString &pFolder, bool pMove)
{
    const QFileInfo source(pSource);
    if (!source.exists())
        return Failure(ErrnoText(ENOENT));
    if (!QFileInfo(pFolder).isDir())
        return Failure(ErrnoText(ENOTDIR));
    if (pMove && QDir(FolderOf(source.absoluteFilePath())) == QDir(pFolder))
        return Success(source.absoluteFilePath());
    if (source.isDir() && !pMove)
        return Failure(ErrnoText(EISDIR));
    const QString target = FreeTargetPath(pFolder, source.fileName());
    if (pMove) {
        const int error = RenameNoReplace(source.absoluteFilePath(), target);
        if (error == 0)
            return Success(target);
        if (error != EXDEV || source.isDir())
            return Failure(ErrnoText(error));
    }
    QFile file(source.absoluteFilePath());
    if (!file.copy(target)) // QFile::copy never replaces an existing file
        return Failure(file.errorString());
    if (pMove && !file.remove())
        return Failure(file.errorString());
    return Success(target);
}

std::unique_ptr<QMimeData> FileListMimeData(const QStringList &pPaths, bool pCut)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    QByteArray gnome = pCut ? QByteArrayLiteral("cut") : QByteArrayLiteral("copy");
    for (const QString &path : pPaths) {
        const QUrl url = QUrl::fromLocalFile(path);
        urls.append(url);
        gnome += '\n' + url.toEncoded();
    }
    data->setUrls(urls);
    data->setText(pPaths.join(u'\n'));
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
            paths.append(url.toLocalFile());
    if (pCut) {
        *pCut =
            pData.data(kKdeCutSelection).startsWith('1') || pData.data(kGnomeCopiedFiles).startsWith("cut\n");
    }
    return paths;
}

QString PermissionText(const QString &pPath)
{
    struct stat info;
    if (::lstat(QFile::encodeName(pPath).constData(), &info) != 0)
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
