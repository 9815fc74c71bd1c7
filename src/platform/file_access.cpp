// File existence test and shared reading of files through POSIX descriptors.
#include "platform/file_access.h"

#include "platform/file_name.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// A zero unit would cut the name short and name another file.
static bool IsUsablePath(const QString &pPath)
{
    return !pPath.isEmpty() && !pPath.contains(QChar(0));
}

bool FileExists(const QString &pPath)
{
    if (!IsUsablePath(pPath))
        return false;
    const QByteArray name = FileNameBytes(pPath);
    struct stat info;
    return ::stat(name.constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

int64_t FileSize(const QString &pPath)
{
    struct stat info;
    return ::stat(FileNameBytes(pPath).constData(), &info) == 0 ? int64_t(info.st_size) : -1;
}

TFileStream::TFileStream(TFileStream &&aOther) noexcept
    : fDescriptor(std::exchange(aOther.fDescriptor, -1)), fSize(aOther.fSize)
{
}

TFileStream &TFileStream::operator=(TFileStream &&aOther) noexcept
{
    if (this != &aOther) {
        if (fDescriptor >= 0)
            ::close(fDescriptor);
        fDescriptor = std::exchange(aOther.fDescriptor, -1);
        fSize = aOther.fSize;
    }
    return *this;
}

TFileStream::~TFileStream()
{
    if (fDescriptor >= 0)
        ::close(fDescriptor);
}

int64_t TFileStream::Read(void *pBuffer, int64_t aCount)
{
    if (fDescriptor < 0 || aCount <= 0)
        return aCount == 0 ? 0 : -1;
    auto *target = static_cast<char *>(pBuffer);
    int64_t done = 0;
    while (done < aCount) {
        const ssize_t got = ::read(fDescriptor, target + done, size_t(aCount - done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return done > 0 ? done : -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

static QString OpenErrorText(int aError)
{
    const QString message = QString::fromLocal8Bit(std::strerror(aError));
    return aError == EIO ? message : QStringLiteral("EFOpenError: ") + message;
}

std::optional<TFileStream> OpenFileForReading(const QString &pPath, QString &aErrorText)
{
    aErrorText.clear();
    if (!IsUsablePath(pPath)) {
        aErrorText = OpenErrorText(ENOENT);
        return std::nullopt;
    }
    const QByteArray name = FileNameBytes(pPath);
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused just below.
    int descriptor;
    do
        descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        aErrorText = OpenErrorText(errno);
        return std::nullopt;
    }
    struct stat info;
    int error = 0;
    if (::fstat(descriptor, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    if (error != 0) {
        ::close(descriptor);
        aErrorText = OpenErrorText(error);
        return std::nullopt;
    }
    // Regular files never block; clear the flag (the only status flag set) so reads behave as usual.
    ::fcntl(descriptor, F_SETFL, 0);
    return TFileStream(descriptor, int64_t(info.st_size));
}
