// The stamp of a file from one stat call.
#include "platform/file_stamp.h"

#include "platform/file_name.h"

#include <sys/stat.h>

std::optional<TFileStamp> FileStamp(const QString &aPath)
{
    const QByteArray name = FileNameBytes(aPath);
    struct stat info
    {
    };
    if (name.isEmpty() || ::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    constexpr int64_t kNanosecondsPerSecond = 1000000000;
    TFileStamp stamp;
    stamp.fDevice = uint64_t(info.st_dev);
    stamp.fInode = uint64_t(info.st_ino);
    stamp.fSize = int64_t(info.st_size);
    stamp.fModified = int64_t(info.st_mtim.tv_sec) * kNanosecondsPerSecond + info.st_mtim.tv_nsec;
    stamp.fChanged = int64_t(info.st_ctim.tv_sec) * kNanosecondsPerSecond + info.st_ctim.tv_nsec;
    return stamp;
}
