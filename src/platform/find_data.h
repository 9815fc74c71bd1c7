// One directory entry as folder enumeration reports it: attribute bits, the three file times,
// the size in two 32-bit halves and the name. Filled from statx by the enumeration routines.
#pragma once

#include <cstdint>
#include <QString>

// 100-nanosecond ticks since 1601-01-01 UTC.
using TFileTime = uint64_t;

inline constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x2;
inline constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
// A symbolic link: listed, never descended into.
inline constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

struct TWin32FindData
{
    uint32_t dwFileAttributes = 0;
    TFileTime ftCreationTime = 0;
    TFileTime ftLastAccessTime = 0;
    TFileTime ftLastWriteTime = 0;
    uint32_t nFileSizeHigh = 0;
    uint32_t nFileSizeLow = 0;
    QString cFileName;

    bool IsDirectory() const { return (dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsHidden() const { return (dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0; }
    int64_t FileSize() const { return int64_t((uint64_t(nFileSizeHigh) << 32) | nFileSizeLow); }
};
