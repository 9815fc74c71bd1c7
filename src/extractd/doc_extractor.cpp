// Word 97-2003 documents read natively through their piece table: the main text, footnotes,
// headers and footers, comments, endnotes and text boxes, field results without their codes,
// and the objects embedded in the document. Word 6 and 95 files go through catdoc.
#include "extractd/doc_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/extract_error.h"
#include "extractd/ole_file.h"
#include "extractd/ole_office_extractor.h"
#include "extractd/ole_package_extractor.h"
#include "extractd/text_decoder.h"
#include "extractd/xls_extractor.h"

#include <vector>

namespace {

// The first Word version with a piece table in this form (Word 97).
constexpr std::uint16_t Word97Fib = 0x00C1;

// Bytes 0x80-0x9F of a compressed piece, as Word maps them (Windows-1252); 0 for none.
constexpr char16_t CompressedHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                         0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Turns Word's characters into text: paragraph, line and page ends become line breaks, cell
// ends tabs; a field's code (between its begin and separator marks) is left out, its result
// kept; anchors of pictures, footnotes and comments are dropped.
class TWordText
{
public:
    void Put(char16_t aUnit)
    {
        switch (aUnit) {
        case 0x13:
            fFields.push_back(true);
            return;
        case 0x14:
            if (!fFields.empty())
                fFields.back() = false;
            return;
        case 0x15:
            if (!fFields.empty())
                fFields.pop_back();
            return;
        default:
            break;
        }
        for (bool code : fFields)
            if (code)
                return;
        char32_t code = aUnit;
        if (aUnit == 0x0D || aUnit == 0x0B || aUnit == 0x0C)
            code = '\n';
        else if (aUnit == 0x07 || aUnit == 0x09)
            code = '\t';
        else if (aUnit == 0x1E)
            code = '-';
        else if (aUnit < 0x20)
            return;
        if (fHigh != 0) {
            if (code >= 0xDC00 && code < 0xE000)
                code = 0x10000 + ((fHigh - 0xD800) << 10) + (code - 0xDC00);
            fHigh = 0;
        } else if (code >= 0xD800 && code < 0xDC00) {
            fHigh = code;
            return;
        }
        if (code >= 0xD800 && code < 0xE000)
            code = 0xFFFD;
        AppendUtf8(fText, code);
    }

    const std::string &Text() const { return fText; }

private:
    std::vector<bool> fFields;
    char32_t fHigh = 0;
    std::string fText;
};

// Writes the text of the Word document in the storage aFolder ("" or "ObjectPool/_123/") of
// aOle; false when it is not a Word 97-2003 document with a readable piece table.
bool WriteWord97(const TOleFile &aOle, const std::string &aFolder, TTextSink &aSink)
{
    std::optional<std::string> word = aOle.ReadStream(aFolder + "WordDocument", 1ull << 30);
    if (!word || word->size() < 0x01AA || ReadLe16(*word, 2) < Word97Fib)
        return false;
    const std::uint16_t flags = ReadLe16(*word, 0x0A);
    std::optional<std::string> table =
        aOle.ReadStream(aFolder + ((flags & 0x0200) ? "1Table" : "0Table"), 1ull << 30);
    if (!table)
        return false;
    std::size_t at = ReadLe32(*word, 0x01A2);
    const std::size_t end = std::min<std::size_t>(table->size(), at + ReadLe32(*word, 0x01A6));
    std::string_view pieces;
    while (at < end) {
        if ((*table)[at] == 0x01) {
            at += 3 + ReadLe16(*table, at + 1);
        } else if ((*table)[at] == 0x02) {
            std::size_t length = std::min<std::size_t>(ReadLe32(*table, at + 1), end - std::min(end, at + 5));
            pieces = std::string_view(*table).substr(at + 5, length);
            break;
        } else {
            return false;
        }
    }
    if (pieces.size() < 16)
        return false;
    const std::size_t count = (pieces.size() - 4) / 12;
    TWordText text;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t first = ReadLe32(pieces, 4 * i), last = ReadLe32(pieces, 4 * (i + 1));
        if (last <= first)
            continue;
        const std::uint32_t fc = ReadLe32(pieces, 4 * (count + 1) + 8 * i + 2);
        const bool compressed = (fc & 0x40000000) != 0;
        const std::size_t start = compressed ? (fc & 0x3FFFFFFF) / 2 : (fc & 0x3FFFFFFF);
        const std::size_t chars = last - first;
        if (start > word->size())
            continue;
        std::string_view bytes = std::string_view(*word).substr(start, compressed ? chars : 2 * chars);
        if (compressed) {
            for (char c : bytes) {
                auto byte = static_cast<unsigned char>(c);
                char16_t unit = byte >= 0x80 && byte < 0xA0 ? CompressedHigh[byte - 0x80] : byte;
                if (unit != 0)
                    text.Put(unit);
            }
        } else {
            for (std::size_t k = 0; k + 1 < bytes.size(); k += 2)
                text.Put(static_cast<char16_t>(ReadLe16(bytes, k)));
        }
    }
    aSink.Append(text.Text());
    aSink.EndLine();
    return true;
}

// The objects embedded in the document, each a storage of ObjectPool: Word documents and
// workbooks are read in place, packaged files and raw contents as embedded documents.
void WriteObjects(const TOleFile &aOle, TExtractContext &aContext)
{
    for (const std::string &object : aOle.Children("ObjectPool")) {
        const std::string folder = "ObjectPool/" + object + "/";
        std::vector<std::string> names = aOle.Children("ObjectPool/" + object);
        auto has = [&](const char *aName) {
            return std::find(names.begin(), names.end(), aName) != names.end();
        };
        if (has("WordDocument")) {
            WriteWord97(aOle, folder, aContext.Sink());
        } else if (has("Workbook")) {
            if (std::optional<std::string> book = aOle.ReadStream(folder + "Workbook", 256ull << 20))
                WriteBiff8Workbook(*book, aContext.Sink());
        } else if (has("\x01Ole10Native")) {
            std::string name, data;
            if (std::optional<std::string> native = aOle.ReadStream(folder + "\x01Ole10Native", 256ull << 20))
                if (ParseOle10Native(*native, name, data))
                    aContext.ExtractEmbedded(data, name);
        } else {
            for (const char *stream : {"Package", "CONTENTS"})
                if (has(stream))
                    if (std::optional<std::string> data = aOle.ReadStream(folder + stream, 256ull << 20))
                        aContext.ExtractEmbedded(*data, "");
        }
        aContext.Sink().EndLine();
    }
}

} // namespace

void TDocExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TOleFile ole(aDocument.Bytes);
    std::optional<std::string> fib = ole.ReadStream("WordDocument", 1 << 12);
    // Word keeps an "encrypted" flag in the file information block at the start of its stream.
    if (fib && fib->size() > 12 && (ReadLe16(*fib, 0x0A) & 0x0100) != 0)
        ThrowEncrypted("the Word document is encrypted");
    ReadSummaryInformation(ole).Write(aContext.Sink());
    if (!WriteWord97(ole, "", aContext.Sink())) {
        TOleOfficeExtractor(TDocType::dtDoc).Extract(aDocument, aContext);
        return;
    }
    WriteObjects(ole, aContext);
}
