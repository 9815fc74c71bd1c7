// Anonymous scratch files for request bodies and extracted text: in memory for small ones,
// in the temporary folder for large ones, never visible by name.
#include "extractd/scratch_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

TScratchFile::TScratchFile(std::uint64_t aExpectedBytes)
{
    if (aExpectedBytes > 32ull * 1024 * 1024) {
        const char *folder = std::getenv("TMPDIR");
        fFd = open(folder != nullptr && *folder != '\0' ? folder : "/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC,
                   0600);
    }
    if (fFd < 0)
        fFd = memfd_create("ordwell-extractd", MFD_CLOEXEC);
    if (fFd < 0)
        throw std::runtime_error("cannot create a scratch file");
}

TScratchFile::~TScratchFile()
{
    close(fFd);
}

bool TScratchFile::Append(std::string_view aData)
{
    if (!aData.empty() && aData.front() == '\0' &&
        std::memcmp(aData.data(), aData.data() + 1, aData.size() - 1) == 0) {
        fLength += aData.size();
        return true;
    }
    while (!aData.empty()) {
        ssize_t n = pwrite(fFd, aData.data(), aData.size(), static_cast<off_t>(fLength));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        aData.remove_prefix(static_cast<std::size_t>(n));
        fLength += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool TScratchFile::Finish()
{
    return Size() >= fLength || ftruncate(fFd, static_cast<off_t>(fLength)) == 0;
}

std::uint64_t TScratchFile::Size() const
{
    struct stat info
    {
    };
    return fstat(fFd, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

long TScratchFile::Read(std::uint64_t aOffset, char *aBuffer, std::size_t aLength) const
{
    ssize_t n;
    do {
        n = pread(fFd, aBuffer, aLength, static_cast<off_t>(aOffset));
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}
