// The entries of a zip-based document (office formats, EPUB) read through libarchive.
#include "extractd/zip_package.h"

#include "extractd/extract_error.h"
#include "extractd/extract_limits.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <memory>
#include <strings.h>

namespace {

using TArchivePtr = std::unique_ptr<archive, int (*)(archive *)>;

std::string_view WithoutSlash(std::string_view aName)
{
    while (!aName.empty() && aName.front() == '/')
        aName.remove_prefix(1);
    return aName;
}

} // namespace

namespace {

// Hands libarchive the whole buffer at once and offers no seek, so that the zip is read entry
// by entry from the local headers (a zip cut off before its central directory still reads).
la_ssize_t ReadWhole(archive *, void *aData, const void **aBuffer)
{
    auto *bytes = static_cast<std::string_view *>(aData);
    *aBuffer = bytes->data();
    la_ssize_t size = static_cast<la_ssize_t>(bytes->size());
    *bytes = std::string_view();
    return size;
}

} // namespace

bool TZipPackage::Read(std::string_view aBytes, bool aStreaming,
                       const std::function<bool(const std::string &)> &aWanted, std::uint64_t aMaxBytes)
{
    fEntries.clear();
    TArchivePtr zip(archive_read_new(), archive_read_free);
    archive_read_support_format_zip(zip.get());
    std::string_view rest = aBytes;
    int opened = aStreaming ? archive_read_open(zip.get(), &rest, nullptr, ReadWhole, nullptr)
                            : archive_read_open_memory(zip.get(), aBytes.data(), aBytes.size());
    if (opened != ARCHIVE_OK)
        return false;
    std::uint64_t total = 0;
    archive_entry *entry = nullptr;
    while (true) {
        int rc = archive_read_next_header(zip.get(), &entry);
        if (rc == ARCHIVE_EOF)
            return true;
        if (rc < ARCHIVE_WARN)
            return false;
        const char *path = archive_entry_pathname(entry);
        if (path == nullptr || archive_entry_filetype(entry) == AE_IFDIR)
            continue;
        TEntry item;
        item.Name = path;
        if (aWanted && !aWanted(item.Name))
            continue;
        item.Encrypted = archive_entry_is_encrypted(entry);
        if (!item.Encrypted) {
            char buffer[65536];
            while (true) {
                la_ssize_t n = archive_read_data(zip.get(), buffer, sizeof buffer);
                if (n == 0)
                    break;
                if (n < 0)
                    return false;
                total += static_cast<std::uint64_t>(n);
                if (total > aMaxBytes)
                    ThrowBomb("zip entries inflate beyond the limit");
                item.Data.append(buffer, static_cast<std::size_t>(n));
            }
        }
        fEntries.push_back(std::move(item));
    }
}

TZipPackage::TZipPackage(std::string_view aBytes, std::function<bool(const std::string &)> aWanted,
                         std::uint64_t aMaxBytes)
{
    if (Read(aBytes, false, aWanted, aMaxBytes))
        return;
    // No readable central directory: take what the local headers give, up to the first break.
    Read(aBytes, true, aWanted, aMaxBytes);
    if (fEntries.empty())
        ThrowCorrupt("not a readable zip file");
}

const TZipPackage::TEntry *TZipPackage::Find(std::string_view aName) const
{
    aName = WithoutSlash(aName);
    for (const TEntry &entry : fEntries) {
        std::string_view name = WithoutSlash(entry.Name);
        if (name.size() == aName.size() && strncasecmp(name.data(), aName.data(), name.size()) == 0)
            return &entry;
    }
    return nullptr;
}

std::uint64_t ZipBudget(std::uint64_t aInputBytes)
{
    return std::min<std::uint64_t>(ExtractLimits::MaxEntryBytes,
                                   aInputBytes * ExtractLimits::OutputRatio + 64 * 1024 * 1024);
}

std::string ResolvePartName(const std::string &aBase, const std::string &aTarget)
{
    std::vector<std::string> parts;
    std::string path;
    if (!aTarget.empty() && aTarget.front() == '/') {
        path = aTarget.substr(1);
    } else {
        std::size_t slash = aBase.rfind('/');
        path = (slash == std::string::npos ? std::string() : aBase.substr(0, slash + 1)) + aTarget;
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string &part : parts)
        result += (result.empty() ? "" : "/") + part;
    return result;
}
