// File access for content inspection: existence test and files opened for shared reading.
// Paths are the program's UTF-16 text; they are handed to the system in its file-name encoding.
#pragma once

#include <cstdint>
#include <optional>
#include <QString>

// Returns true when Path names something that exists and is not a folder, following symbolic
// links. Any thread. Never raises; an empty or unreachable path gives false.
bool FileExists(const QString &pPath);

// The size in bytes of what Path names, symbolic links followed; -1 when it cannot be examined.
// Any thread; never raises.
int64_t FileSize(const QString &pPath);

// A file opened for reading. Move-only; closes the file when it goes.
class TFileStream
{
public:
    explicit TFileStream(int aDescriptor, int64_t aSize) : fDescriptor(aDescriptor), fSize(aSize) {}
    TFileStream(TFileStream &&aOther) noexcept;
    TFileStream &operator=(TFileStream &&aOther) noexcept;
    TFileStream(const TFileStream &) = delete;
    TFileStream &operator=(const TFileStream &) = delete;
    ~TFileStream();

    // The file's size when it was opened, in bytes.
    int64_t Size() const { return fSize; }
    // Reads up to Count bytes from the current position, retrying short and interrupted reads
    // until Count bytes are read or the file ends. Returns the number read: 0 at the end of the
    // file, -1 on a read error.
    int64_t Read(void *pBuffer, int64_t aCount);
    // The file descriptor, for callers that hand the file to another library (valid while this
    // stream lives).
    int Descriptor() const { return fDescriptor; }

private:
    int fDescriptor = -1;
    int64_t fSize = 0;
};

// Opens an existing regular file for reading; other readers and writers are not locked out.
// On success ErrorText is empty and the caller owns the stream. On failure returns nothing and
// ErrorText describes it: the system's message for an input/output error, otherwise
// "EFOpenError: " and the message. Folders, pipes, sockets and devices are refused, so a read
// can neither block on a writer nor run forever. Any thread; never raises.
std::optional<TFileStream> OpenFileForReading(const QString &pPath, QString &aErrorText);
