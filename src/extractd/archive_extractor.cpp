// Archives (zip, tar, 7z, RAR 4 and 5) and compressed files (gzip, bzip2, xz) through
// libarchive: each entry's name, then its text, following archives inside archives down to the
// nesting limit.
#include "extractd/archive_extractor.h"

#include "extractd/extract_error.h"
#include "extractd/zip_package.h"

#include <archive.h>
#include <archive_entry.h>
#include <memory>

namespace {

// The name of the single file inside "name.gz" and the like.
std::string InnerName(const std::string &aName)
{
    for (const char *suffix : {".gz", ".bz2", ".xz", ".tgz"}) {
        std::string_view s(suffix);
        if (aName.size() > s.size() && aName.ends_with(s))
            return aName.substr(0, aName.size() - s.size()) + (s == ".tgz" ? ".tar" : "");
    }
    return aName;
}

} // namespace

void TArchiveExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    std::unique_ptr<archive, int (*)(archive *)> reader(archive_read_new(), archive_read_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_zip(reader.get());
    archive_read_support_format_tar(reader.get());
    archive_read_support_format_gnutar(reader.get());
    archive_read_support_format_7zip(reader.get());
    archive_read_support_format_rar(reader.get());
    archive_read_support_format_rar5(reader.get());
    archive_read_support_format_cpio(reader.get());
    archive_read_support_format_ar(reader.get());
    archive_read_support_format_raw(reader.get()); // a compressed single file
    if (archive_read_open_memory(reader.get(), aDocument.Bytes.data(), aDocument.Bytes.size()) != ARCHIVE_OK)
        ThrowCorrupt("not a readable archive");

    TTextSink &sink = aContext.Sink();
    const std::uint64_t budget = ZipBudget(aDocument.Bytes.size());
    int files = 0, encrypted = 0;
    archive_entry *entry = nullptr;
    while (true) {
        int rc = archive_read_next_header(reader.get(), &entry);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc < ARCHIVE_WARN) {
            // A damaged archive keeps the text of the entries read so far.
            if (files == 0) {
                const char *message = archive_error_string(reader.get());
                std::string text = message != nullptr ? message : "";
                if (text.find("ncrypt") != std::string::npos || text.find("assphrase") != std::string::npos)
                    ThrowEncrypted("encrypted archive");
                ThrowCorrupt("broken archive: " + text);
            }
            break;
        }
        if (archive_entry_filetype(entry) != AE_IFREG)
            continue;
        ++files;
        const bool raw = archive_format(reader.get()) == ARCHIVE_FORMAT_RAW;
        const char *path = archive_entry_pathname(entry);
        std::string name = raw ? InnerName(aDocument.Name) : (path != nullptr ? path : "");
        if (!raw) {
            sink.EndLine();
            sink.Append(name);
            sink.EndLine();
        }
        if (archive_entry_is_encrypted(entry)) {
            ++encrypted;
            continue;
        }
        std::string data;
        char buffer[65536];
        bool broken = false;
        while (true) {
            la_ssize_t n = archive_read_data(reader.get(), buffer, sizeof buffer);
            if (n == 0)
                break;
            if (n < 0) {
                broken = true;
                break;
            }
            if (data.size() + static_cast<std::size_t>(n) > budget)
                ThrowBomb("archive entry inflates beyond the limit");
            data.append(buffer, static_cast<std::size_t>(n));
        }
        if (broken && raw && data.empty())
            ThrowCorrupt("broken compressed file");
        if (!broken || !data.empty())
            aContext.ExtractEmbedded(data, name.substr(name.rfind('/') + 1));
        if (broken)
            break;
    }
    if (files > 0 && encrypted == files)
        ThrowEncrypted("every entry of the archive is encrypted");
}
