// Anonymous scratch files for request bodies and extracted text: in memory for small ones,
// in the temporary folder for large ones, never visible by name.
#pragma once

#include <cstdint>
#include <string_view>

class TScratchFile
{
public:
    // Creates a memfd when aExpectedBytes is at most 32 MiB, else an unnamed file in $TMPDIR
    // (falling back to a memfd). Throws std::runtime_error when neither can be made.
    explicit TScratchFile(std::uint64_t aExpectedBytes);
    ~TScratchFile();
    TScratchFile(const TScratchFile &) = delete;
    TScratchFile &operator=(const TScratchFile &) = delete;

    int Fd() const { return fFd; }
    // Appends aData; false when the file cannot be written (disk full). Runs of zero bytes
    // are left as holes, so that a sparse upload stays sparse; call Finish() after the last.
    bool Append(std::string_view aData);
    // Gives the file the length of everything appended (a trailing hole included).
    bool Finish();
    // The current size in bytes.
    std::uint64_t Size() const;
    // Reads up to aLength bytes at aOffset into aBuffer; returns the count, or -1 on failure.
    long Read(std::uint64_t aOffset, char *aBuffer, std::size_t aLength) const;

private:
    int fFd = -1;
    std::uint64_t fLength = 0;
};
