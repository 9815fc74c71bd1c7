// The entries of a zip-based document (office formats, EPUB) read through libarchive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TZipPackage
{
public:
    struct TEntry
    {
        std::string Name;
        std::string Data;
        bool Encrypted = false;
    };

    // Reads the entries of the zip in aBytes whose names aWanted accepts (all when empty), at
    // most aMaxBytes inflated bytes in all. A zip without a readable central directory is read
    // from its local headers up to the first broken entry. Throws TExtractError(ekCorrupt) when
    // no entry can be read, TExtractError(ekBomb) when the entries exceed aMaxBytes.
    TZipPackage(std::string_view aBytes, std::function<bool(const std::string &)> aWanted,
                std::uint64_t aMaxBytes);

    // The entry named aName (compared without regard to case, a leading "/" ignored), or null.
    const TEntry *Find(std::string_view aName) const;
    const std::vector<TEntry> &Entries() const { return fEntries; }

private:
    bool Read(std::string_view aBytes, bool aStreaming,
              const std::function<bool(const std::string &)> &aWanted, std::uint64_t aMaxBytes);

    std::vector<TEntry> fEntries;
};

// The inflated-size budget of a zip-based document of aInputBytes bytes.
std::uint64_t ZipBudget(std::uint64_t aInputBytes);
// Resolves aTarget (a relative link inside a package, such as "../media/x.xml") against the
// folder of aBase ("word/document.xml"); an absolute target loses its leading "/".
std::string ResolvePartName(const std::string &aBase, const std::string &aTarget);
