// Mobipocket and Kindle books (MOBI, AZW, AZW3) without DRM, and PalmDOC texts: the book's
// records decompressed (PalmDOC LZ77) and read as HTML, after the title, author, subject and
// description of its header. Books with DRM are refused as encrypted, Huffman-compressed ones
// as unreadable.
#include "extractd/mobi_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/extract_error.h"
#include "extractd/html_extractor.h"
#include "extractd/text_decoder.h"
#include "extractd/zip_package.h"

#include <vector>

namespace {

// Palm databases store their numbers big-endian.
std::uint32_t Be16(std::string_view aBytes, std::size_t aAt)
{
    if (aAt > aBytes.size() || aBytes.size() - aAt < 2)
        return 0;
    return (static_cast<unsigned char>(aBytes[aAt]) << 8) | static_cast<unsigned char>(aBytes[aAt + 1]);
}

std::uint32_t Be32(std::string_view aBytes, std::size_t aAt)
{
    return (Be16(aBytes, aAt) << 16) | Be16(aBytes, aAt + 2);
}

// The bytes of the trailing entries at the end of a text record, which the flags of the book's
// header announce (bit 0: the rest of a multibyte character; each further bit: an entry whose
// size ends it, written backwards in 7-bit groups).
std::size_t TrailingBytes(std::string_view aRecord, std::uint32_t aFlags)
{
    std::size_t trailing = 0;
    for (std::uint32_t flags = aFlags >> 1; flags != 0; flags >>= 1) {
        if ((flags & 1) == 0)
            continue;
        std::size_t size = 0, shift = 0;
        std::size_t end = aRecord.size() - std::min(trailing, aRecord.size());
        for (std::size_t k = 0; k < 4 && k < end; ++k) {
            auto byte = static_cast<unsigned char>(aRecord[end - 1 - k]);
            size |= static_cast<std::size_t>(byte & 0x7F) << shift;
            shift += 7;
            if (byte & 0x80)
                break;
        }
        trailing += size;
    }
    if ((aFlags & 1) != 0 && trailing < aRecord.size())
        trailing += (static_cast<unsigned char>(aRecord[aRecord.size() - trailing - 1]) & 0x03) + 1;
    return std::min(trailing, aRecord.size());
}

} // namespace

std::string PalmDocDecompress(std::string_view aRecord)
{
    std::string out;
    for (std::size_t i = 0; i < aRecord.size();) {
        auto c = static_cast<unsigned char>(aRecord[i++]);
        if (c >= 1 && c <= 8) {
            out.append(aRecord.substr(i, c));
            i += c;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0xC0) {
            out += ' ';
            out += static_cast<char>(c ^ 0x80);
        } else if (i < aRecord.size()) {
            unsigned pair = (c << 8) | static_cast<unsigned char>(aRecord[i++]);
            std::size_t distance = (pair >> 3) & 0x7FF, length = (pair & 7) + 3;
            if (distance == 0 || distance > out.size())
                continue;
            for (std::size_t k = 0; k < length; ++k)
                out += out[out.size() - distance];
        }
    }
    return out;
}

void TMobiExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    std::string_view book = aDocument.Bytes;
    const std::uint32_t records = Be16(book, 76);
    if (book.size() < 78 + 8 * std::size_t(records) || records < 2)
        ThrowCorrupt("not a readable Palm database");
    auto record = [&](std::uint32_t aIndex) {
        std::size_t start = Be32(book, 78 + 8 * aIndex);
        std::size_t end = aIndex + 1 < records ? Be32(book, 78 + 8 * (aIndex + 1)) : book.size();
        if (start > book.size() || end < start)
            return std::string_view();
        return book.substr(start, std::min(end, book.size()) - start);
    };
    const std::string_view header = record(0);
    const std::uint32_t compression = Be16(header, 0);
    const std::uint32_t textLength = Be32(header, 4);
    const std::uint32_t textRecords = Be16(header, 8);
    if (Be16(header, 12) != 0)
        ThrowEncrypted("the book is protected by DRM");
    if (compression != 1 && compression != 2)
        ThrowCorrupt("the book's compression (" + std::to_string(compression) + ") is not supported");
    const bool mobi = header.size() >= 20 && header.substr(16, 4) == "MOBI";
    const std::uint32_t headerLength = mobi ? Be32(header, 20) : 0;
    const std::string charset = mobi && Be32(header, 28) == 65001 ? "UTF-8" : "WINDOWS-1252";
    const std::uint32_t extraFlags = mobi && headerLength >= 0xE4 ? Be16(header, 0xF2) : 0;

    TDocumentProperties properties;
    if (mobi) {
        properties.Title = ConvertToUtf8(
            header.substr(std::min<std::size_t>(Be32(header, 84), header.size()), Be32(header, 88)), charset);
        // EXTH records: 100 author, 103 description, 105 subject, 503 title.
        const std::size_t exth = 16 + headerLength;
        if ((Be32(header, 0x80) & 0x40) != 0 && exth <= header.size() && header.substr(exth, 4) == "EXTH") {
            std::size_t at = exth + 12;
            for (std::uint32_t i = 0, n = Be32(header, exth + 8); i < n && at + 8 <= header.size(); ++i) {
                const std::uint32_t type = Be32(header, at), length = Be32(header, at + 4);
                if (length < 8)
                    break;
                std::string value = ConvertToUtf8(header.substr(at + 8, length - 8), charset);
                if (type == 100)
                    properties.Author = value;
                else if (type == 103)
                    properties.Description = value;
                else if (type == 105)
                    properties.Subject = value;
                else if (type == 503)
                    properties.Title = value;
                at += length;
            }
        }
    }
    properties.Write(aContext.Sink());

    const std::uint64_t budget = ZipBudget(book.size());
    std::string text;
    for (std::uint32_t i = 1; i <= textRecords && i < records && text.size() < textLength; ++i) {
        std::string_view data = record(i);
        data.remove_suffix(TrailingBytes(data, extraFlags));
        text += compression == 2 ? PalmDocDecompress(data) : std::string(data);
        if (text.size() > budget)
            ThrowBomb("the book inflates beyond the limit");
    }
    text.resize(std::min<std::size_t>(text.size(), textLength));
    if (!mobi) {
        aContext.Sink().Append(ConvertToUtf8(text, charset));
        aContext.Sink().EndLine();
        return;
    }
    // Already UTF-8: the byte-order mark outranks a charset the markup may declare.
    std::string page = "\xEF\xBB\xBF" + ConvertToUtf8(text, charset);
    THtmlExtractor().Extract(TDocument{page, "book.html"}, aContext);
}
