// PowerPoint 97-2003 presentations read natively from the "PowerPoint Document" stream: the
// text atoms of the slides, their notes and comments, and the headers and footers of masters.
#include "extractd/ppt_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/extract_error.h"
#include "extractd/ole_file.h"
#include "extractd/text_decoder.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace {

// Record types of the stream that the reader looks at.
enum : std::uint16_t
{
    rtDocument = 0x03E8,
    rtDocumentAtom = 0x03E9,
    rtMainMaster = 0x03F8,
    rtHandout = 0x0FC9,
    rtSlideListWithText = 0x0FF0,
    rtUserEditAtom = 0x0FF5,
    rtTextCharsAtom = 0x0FA0,
    rtTextBytesAtom = 0x0FA8,
    rtCString = 0x0FBA,
    rtComment10 = 0x2EE0,
    rtPersistDirectoryAtom = 0x1772,
    rtShape = 0xF004,
    rtPlaceholderAtom = 0x0BC3,
};

// Placeholders of a master whose text is the document's own: its header and footer.
constexpr unsigned char MasterFooter = 0x09;
constexpr unsigned char MasterHeader = 0x0A;

constexpr std::size_t HeaderBytes = 8;
constexpr int MaxRecordDepth = 64;

struct TRecord
{
    std::uint16_t Instance = 0;
    std::uint16_t Type = 0;
    bool Container = false;
    std::size_t Body = 0;   // offset of the record's data
    std::size_t Length = 0; // bytes of data, cut to what the stream holds
};

// The record whose header starts at aAt, or nothing when no header fits there.
std::optional<TRecord> RecordAt(std::string_view aStream, std::size_t aAt)
{
    if (aAt > aStream.size() || aStream.size() - aAt < HeaderBytes)
        return std::nullopt;
    std::uint16_t verAndInstance = ReadLe16(aStream, aAt);
    TRecord record;
    record.Container = (verAndInstance & 0x0F) == 0x0F;
    record.Instance = static_cast<std::uint16_t>(verAndInstance >> 4);
    record.Type = ReadLe16(aStream, aAt + 2);
    record.Body = aAt + HeaderBytes;
    record.Length = std::min<std::size_t>(ReadLe32(aStream, aAt + 4), aStream.size() - record.Body);
    return record;
}

// The text of an atom: UTF-16LE characters, or bytes that are the low halves of UTF-16 units.
// Paragraphs end with CR and lines with VT; both become line breaks.
std::string AtomText(std::string_view aData, bool aWide)
{
    std::string out;
    std::u16string units;
    if (aWide) {
        for (std::size_t i = 0; i + 1 < aData.size(); i += 2)
            units.push_back(static_cast<char16_t>(ReadLe16(aData, i)));
    } else {
        for (char c : aData)
            units.push_back(static_cast<unsigned char>(c));
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t code = units[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        } else if (code == '\r' || code == 0x0B) {
            code = '\n';
        } else if (code == 0) {
            continue;
        }
        AppendUtf8(out, code);
    }
    return out;
}

// The offsets of the live top-level records from the chain of edits that starts in the
// "Current User" stream (later edits replace earlier ones), and the persist id of the document
// record. Empty when the chain cannot be followed.
struct TPersistMap
{
    std::map<std::uint32_t, std::uint32_t> Offsets; // persist id -> offset
    std::uint32_t DocumentId = 0;
};

TPersistMap ReadPersistMap(std::string_view aStream, const std::optional<std::string> &aCurrentUser)
{
    TPersistMap map;
    if (!aCurrentUser || aCurrentUser->size() < 20)
        return map;
    std::uint32_t edit = ReadLe32(*aCurrentUser, 16);
    std::set<std::uint32_t> seen;
    bool newest = true;
    while (seen.insert(edit).second && seen.size() < 4096) {
        std::optional<TRecord> user = RecordAt(aStream, edit);
        if (!user || user->Type != rtUserEditAtom || user->Length < 20)
            break;
        if (newest)
            map.DocumentId = ReadLe32(aStream, user->Body + 16);
        newest = false;
        std::optional<TRecord> dir = RecordAt(aStream, ReadLe32(aStream, user->Body + 12));
        if (dir && dir->Type == rtPersistDirectoryAtom) {
            std::size_t at = dir->Body, end = dir->Body + dir->Length;
            while (at + 4 <= end) {
                std::uint32_t entry = ReadLe32(aStream, at);
                std::uint32_t first = entry & 0xFFFFF, count = entry >> 20;
                at += 4;
                for (std::uint32_t k = 0; k < count && at + 4 <= end; ++k, at += 4)
                    map.Offsets.emplace(first + k, ReadLe32(aStream, at)); // the newest one stays
            }
        }
        edit = ReadLe32(aStream, user->Body + 8);
        if (edit == 0)
            break;
    }
    return map;
}

class TPptReader
{
public:
    TPptReader(std::string_view aStream, TTextSink &aSink) : fStream(aStream), fSink(aSink) {}

    void Run(const std::optional<std::string> &aCurrentUser)
    {
        TPersistMap persist = ReadPersistMap(fStream, aCurrentUser);
        std::vector<std::size_t> tops;
        for (const auto &[id, offset] : persist.Offsets)
            tops.push_back(offset);
        if (auto doc = persist.Offsets.find(persist.DocumentId); doc != persist.Offsets.end())
            SkipMastersOfDocument(doc->second, persist);
        if (tops.empty()) {
            // No readable edit chain: every top-level record in stream order.
            std::size_t at = 0;
            while (std::optional<TRecord> record = RecordAt(fStream, at)) {
                tops.push_back(at);
                at = record->Body + record->Length;
            }
        }
        std::sort(tops.begin(), tops.end());
        tops.erase(std::unique(tops.begin(), tops.end()), tops.end());
        for (std::size_t at : tops)
            if (!fSkipped.contains(at))
                if (std::optional<TRecord> record = RecordAt(fStream, at))
                    Walk(*record, 0, {});
    }

private:
    // The notes master and the handout master are named in the document atom.
    void SkipMastersOfDocument(std::size_t aAt, const TPersistMap &aPersist)
    {
        std::optional<TRecord> doc = RecordAt(fStream, aAt);
        if (!doc || doc->Type != rtDocument)
            return;
        std::optional<TRecord> atom = RecordAt(fStream, doc->Body);
        if (!atom || atom->Type != rtDocumentAtom || atom->Length < 32)
            return;
        for (std::size_t field : {24u, 28u})
            if (auto found = aPersist.Offsets.find(ReadLe32(fStream, atom->Body + field));
                found != aPersist.Offsets.end())
                fSkipped.insert(found->second);
    }

    struct TScope
    {
        bool Comment = false;
        bool Master = false;
    };

    // The children of the container aRecord, in order.
    std::vector<TRecord> Children(const TRecord &aRecord) const
    {
        std::vector<TRecord> children;
        std::size_t end = aRecord.Body + aRecord.Length;
        for (std::size_t at = aRecord.Body; at + HeaderBytes <= end;) {
            std::optional<TRecord> child = RecordAt(fStream.substr(0, end), at);
            if (!child)
                break;
            children.push_back(*child);
            at = child->Body + child->Length;
        }
        return children;
    }

    // The placeholder kind of a shape (0 for a shape that is no placeholder).
    unsigned char PlaceholderOf(const TRecord &aShape, int aDepth) const
    {
        for (const TRecord &child : Children(aShape)) {
            if (child.Type == rtPlaceholderAtom && child.Length >= 5)
                return static_cast<unsigned char>(fStream[child.Body + 4]);
            if (child.Container && aDepth < 4)
                if (unsigned char kind = PlaceholderOf(child, aDepth + 1))
                    return kind;
        }
        return 0;
    }

    // A master's prompts ("Click to edit...") and fields are not the document's text; its
    // headers, footers and plain text boxes are.
    void Walk(const TRecord &aRecord, int aDepth, TScope aScope)
    {
        if (aRecord.Container) {
            if (aDepth >= MaxRecordDepth || aRecord.Type == rtHandout ||
                (aRecord.Type == rtSlideListWithText && aRecord.Instance == 1))
                return;
            aScope.Comment = aScope.Comment || aRecord.Type == rtComment10;
            aScope.Master = aScope.Master || aRecord.Type == rtMainMaster;
            if (aScope.Master && aRecord.Type == rtShape) {
                unsigned char kind = PlaceholderOf(aRecord, 0);
                if (kind != 0 && kind != MasterFooter && kind != MasterHeader)
                    return;
            }
            for (const TRecord &child : Children(aRecord))
                Walk(child, aDepth + 1, aScope);
            return;
        }
        std::string_view data = fStream.substr(aRecord.Body, aRecord.Length);
        // A comment's text is its CString of instance 1 (0 is the author, 2 the initials).
        if (aRecord.Type == rtTextCharsAtom ||
            (aScope.Comment && aRecord.Type == rtCString && aRecord.Instance == 1))
            Append(AtomText(data, true));
        else if (aRecord.Type == rtTextBytesAtom)
            Append(AtomText(data, false));
    }

    void Append(const std::string &aText)
    {
        // A lone "*" stands for a field (slide number, date, footer), not for text.
        if (aText == "*")
            return;
        fSink.Append(aText);
        fSink.EndLine();
    }

    std::string_view fStream;
    TTextSink &fSink;
    std::set<std::size_t> fSkipped;
};

} // namespace

void TPptExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TOleFile ole(aDocument.Bytes);
    std::vector<std::string> names = ole.Children();
    if (std::find(names.begin(), names.end(), "EncryptedSummary") != names.end())
        ThrowEncrypted("the presentation is encrypted");
    std::optional<std::string> stream = ole.ReadStream("PowerPoint Document", 1ull << 30);
    if (!stream)
        ThrowCorrupt("the presentation has no readable document stream");
    ReadSummaryInformation(ole).Write(aContext.Sink());
    TPptReader(*stream, aContext.Sink()).Run(ole.ReadStream("Current User", 1 << 16));
}
