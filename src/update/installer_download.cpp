// The update download: fetches the new installer into the user's private temporary folder with
// progress and cancel, checks it against the published checksum, and starts it.
#include "update/installer_download.h"

#include "i18n/translation.h"
#include "threads/run_context.h"
#include "update/installer_checksum.h"
#include "update/vendor_http.h"
#include "update/version_check.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

std::atomic<bool> &DownloadCancelled()
{
    return RunContext().DownloadCancelled;
}

namespace {

const QString kInstallerName = QStringLiteral("brannick_update.exe");

// Closes the descriptor it holds when it goes.
class TFileDescriptor
{
public:
    explicit TFileDescriptor(int aFd = -1) : fFd(aFd) {}
    ~TFileDescriptor()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    TFileDescriptor(const TFileDescriptor &) = delete;
    TFileDescriptor &operator=(const TFileDescriptor &) = delete;
    int Get() const { return fFd; }
    int Release()
    {
        const int fd = fFd;
        fFd = -1;
        return fd;
    }
    // Closes now and reports whether the close succeeded (written data reached the file).
    bool Close()
    {
        const int fd = fFd;
        fFd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fFd;
};

// Removes the file it names in an open folder when it goes, unless told to keep it: a download
// that fails or is refused leaves nothing behind.
class TUnfinishedFile
{
public:
    TUnfinishedFile(int aFolder, const QByteArray &aName) : fFolder(aFolder), fName(aName) {}
    ~TUnfinishedFile()
    {
        if (!fKept)
            ::unlinkat(fFolder, fName.constData(), 0);
    }
    TUnfinishedFile(const TUnfinishedFile &) = delete;
    TUnfinishedFile &operator=(const TUnfinishedFile &) = delete;
    void Keep() { fKept = true; }

private:
    int fFolder;
    QByteArray fName;
    bool fKept = false;
};

std::runtime_error FileError(const char *aWhat, const QString &aPath, int aErrno)
{
    return std::runtime_error(std::string(aWhat) + " " + aPath.toStdString() + ": " + std::strerror(aErrno));
}

// Opens the user's own installer folder, creating it. Refuses a folder that is a link, belongs to
// someone else, or that others may write to, so nobody can swap the installer before it starts.
int OpenPrivateFolder(const QString &aFolder)
{
    const QByteArray path = QFile::encodeName(aFolder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        throw FileError("Cannot create folder", aFolder, errno);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        throw FileError("Cannot open folder", aFolder, errno);
    TFileDescriptor folder(fd);
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        throw FileError("Cannot examine folder", aFolder, errno);
    if (info.st_uid != ::geteuid())
        throw std::runtime_error("The folder " + aFolder.toStdString() + " belongs to another user");
    if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        throw FileError("Cannot make private the folder", aFolder, errno);
    return folder.Release();
}

} // namespace

int DownloadPercent(int64_t aCount, int64_t aContentLength, const QString &aTransferEncoding)
{
    if (aTransferEncoding.contains(QStringLiteral("chunked"), Qt::CaseInsensitive) || aContentLength <= 0)
        return -1;
    if (aCount <= 0)
        return 0;
    if (aCount >= aContentLength)
        return 100;
    // 128 bits, so count x 100 cannot overflow whatever the server claims.
    return int(__int128(aCount) * 100 / aContentLength);
}

QString InstallerFolder()
{
    return QDir::tempPath() + QStringLiteral("/ordwell-") + QString::number(::geteuid());
}

QString InstallerFileName()
{
    return InstallerFolder() + u'/' + kInstallerName;
}

TDownloadedInstaller DownloadUpdate(const QString &aBaseUrl, const TDownloadProgress &aOnProgress)
{
    UpdateRequired() = true;
    DownloadCancelled() = false;
    CheckVendorBaseUrl(aBaseUrl);

    const QString url = aBaseUrl + QStringLiteral("/download/ordwell.exe");
    THttpClient client;
    auto onChecksumProgress = [&aOnProgress](int64_t) {
        if (DownloadCancelled())
            return Translate(QStringLiteral("Download is cancelled. Please download manually."));
        if (aOnProgress)
            aOnProgress(0, -1);
        return QString();
    };
    const std::optional<QByteArray> published = FetchPublishedSha256(client, url, onChecksumProgress);

    const QString target = InstallerFileName();
    TFileDescriptor folder(OpenPrivateFolder(InstallerFolder()));
    const QByteArray name = QFile::encodeName(kInstallerName);
    // Remove whatever has the name (an older download, a planted link), then create the file
    // afresh; O_EXCL | O_NOFOLLOW never follows a link that appears in between.
    if (::unlinkat(folder.Get(), name.constData(), 0) != 0 && errno != ENOENT)
        throw FileError("Cannot replace", target, errno);
    TFileDescriptor file(
        ::openat(folder.Get(), name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
    if (file.Get() < 0)
        throw FileError("Cannot create", target, errno);
    TUnfinishedFile unfinished(folder.Get(), name);
    if (::fchmod(file.Get(), 0700) != 0)
        throw FileError("Cannot make executable", target, errno);

    QCryptographicHash hash(QCryptographicHash::Sha256);
    auto onData = [&file, &target, &hash](const char *aData, size_t aSize) {
        hash.addData(QByteArrayView(aData, qsizetype(aSize)));
        while (aSize > 0) {
            const ssize_t written = ::write(file.Get(), aData, aSize);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return QString::fromStdString(FileError("Cannot write", target, errno).what());
            aData += written;
            aSize -= size_t(written);
        }
        return QString();
    };
    auto onProgress = [&client, &aOnProgress](int64_t aCount) {
        if (DownloadCancelled())
            return Translate(QStringLiteral("Download is cancelled. Please download manually."));
        bool ok = false;
        int64_t length = client.Header("Content-Length").toLongLong(&ok);
        if (!ok)
            length = 0;
        const int percent =
            DownloadPercent(aCount, length, QString::fromLatin1(client.Header("Transfer-Encoding")));
        if (aOnProgress)
            aOnProgress(aCount, percent);
        return QString();
    };
    try {
        client.Get(url, THttpOptions(), onData, onProgress);
    } catch (...) {
        file.Close();
        throw;
    }
    if (!file.Close())
        throw FileError("Cannot write", target, errno);
    if (!QFileInfo::exists(target))
        throw std::runtime_error(Translate(QStringLiteral("Cannot find downloaded file.")).toStdString());
    if (published && hash.result() != *published)
        throw std::runtime_error(Translate(QStringLiteral("The downloaded file does not match the checksum "
                                                          "published by the vendor. It has been removed "
                                                          "and was not started."))
                                     .toStdString());
    unfinished.Keep();
    return {target, published.has_value()};
}

void RemoveInstaller(const QString &aFileName)
{
    QFile::remove(aFileName);
}

bool StartInstaller(const QString &aFileName)
{
    return QProcess::startDetached(aFileName, {});
}

QString DownloadFailureText(const QString &aError)
{
    return Translate(QStringLiteral("Failed to download update. Please download manually on website.")) +
           QStringLiteral("\n\n") + aError;
}
