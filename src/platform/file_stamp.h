// What identifies one version of a file's content without reading it: the device, inode, size
// and modification and change times from one stat, compared by the text cache.
#pragma once

#include <cstdint>
#include <optional>
#include <QString>

struct TFileStamp
{
    uint64_t fDevice = 0;
    uint64_t fInode = 0;
    int64_t fSize = 0;
    // Nanoseconds since the epoch.
    int64_t fModified = 0;
    int64_t fChanged = 0;

    bool operator==(const TFileStamp &) const = default;
};

// The stamp of the file at aPath, following symbolic links; nothing when it cannot be had or the
// path is not a regular file. Any thread; never raises.
std::optional<TFileStamp> FileStamp(const QString &aPath);
