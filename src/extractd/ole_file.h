// Read access to an OLE compound file (legacy Office, Outlook .msg, encrypted OOXML) via libgsf.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef struct _GsfInfile GsfInfile;
typedef struct _GsfInput GsfInput;

// Little-endian integers at aAt in aBytes, as compound files and their streams store them;
// 0 when the bytes end before the number.
std::uint16_t ReadLe16(std::string_view aBytes, std::size_t aAt);
std::uint32_t ReadLe32(std::string_view aBytes, std::size_t aAt);

class TOleFile
{
public:
    // Opens the compound file held in aBytes (which must outlive this object).
    // Throws TExtractError(ekCorrupt) when it is not one.
    explicit TOleFile(std::string_view aBytes);
    ~TOleFile();
    TOleFile(const TOleFile &) = delete;
    TOleFile &operator=(const TOleFile &) = delete;

    // Names of the children of the storage at aPath ("" is the root, "a/b" a sub-storage).
    std::vector<std::string> Children(const std::string &aPath = {}) const;
    // The bytes of the stream at aPath, or nothing when it does not exist or exceeds aMaxBytes.
    std::optional<std::string> ReadStream(const std::string &aPath,
                                          std::uint64_t aMaxBytes = 64ull << 20) const;

private:
    GsfInput *Open(const std::string &aPath) const;

    GsfInput *fInput = nullptr;
    GsfInfile *fRoot = nullptr;
};
