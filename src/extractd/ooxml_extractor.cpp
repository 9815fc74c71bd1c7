// Office Open XML documents: Word (body, headers, footers, footnotes, endnotes, comments, text
// boxes), Excel (sheet names, cells through the shared strings) and PowerPoint (slides, notes),
// plus the documents embedded in them. Encrypted packages are opened with the request's password.
#include "extractd/ooxml_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/extract_error.h"
#include "extractd/office_xml_text.h"
#include "extractd/ooxml_decryptor.h"

#include <algorithm>

namespace {

std::string MainPart(const TZipPackage &aZip, const char *aFallback)
{
    for (const TRelationship &rel : ReadRelationships(aZip, ""))
        if (rel.Type == "officeDocument")
            return rel.Target;
    return aFallback;
}

void ExtractWord(const TZipPackage &aZip, TTextSink &aSink)
{
    std::string main = MainPart(aZip, "word/document.xml");
    std::vector<TRelationship> rels = ReadRelationships(aZip, main);
    auto writeAll = [&](std::string_view aType) {
        for (const TRelationship &rel : rels)
            if (rel.Type == aType)
                WriteOoxmlPart(aZip, rel.Target, aSink);
    };
    writeAll("header");
    WriteOoxmlPart(aZip, main, aSink);
    writeAll("footnotes");
    writeAll("endnotes");
    writeAll("comments");
    writeAll("footer");
}

// The strings of xl/sharedStrings.xml, phonetic runs left out.
class TSharedStringsHandler : public IXmlHandler
{
public:
    std::vector<std::string> Strings;
    void OnStart(std::string_view aName, const TXmlElement &) override
    {
        if (aName == "si")
            Strings.emplace_back();
        else if (aName == "t")
            ++fInText;
        else if (aName == "rPh")
            ++fInPhonetic;
    }
    void OnEnd(std::string_view aName) override
    {
        if (aName == "t")
            --fInText;
        else if (aName == "rPh")
            --fInPhonetic;
    }
    void OnText(std::string_view aText) override
    {
        if (fInText > 0 && fInPhonetic == 0 && !Strings.empty())
            Strings.back().append(aText);
    }

private:
    int fInText = 0;
    int fInPhonetic = 0;
};

// One worksheet: a line per row, cells separated by tabs.
class TSheetHandler : public IXmlHandler
{
public:
    TSheetHandler(const std::vector<std::string> &aStrings, TTextSink &aSink)
        : fStrings(aStrings), fSink(aSink)
    {
    }
    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        if (aName == "c") {
            fCellType = aElement.Attribute("t");
            fValue.clear();
        } else if (aName == "v" || aName == "t" || aName == "oddHeader" || aName == "oddFooter") {
            ++fInValue;
        }
    }
    void OnEnd(std::string_view aName) override
    {
        if (aName == "v" || aName == "t" || aName == "oddHeader" || aName == "oddFooter") {
            --fInValue;
            if (aName == "oddHeader" || aName == "oddFooter") {
                fSink.EndLine();
                fSink.Append(HeaderFooterText(fValue));
                fSink.EndLine();
                fValue.clear();
            }
        } else if (aName == "c") {
            std::string text = fValue;
            if (fCellType == "s") {
                std::size_t index = std::strtoul(fValue.c_str(), nullptr, 10);
                text = index < fStrings.size() ? fStrings[index] : std::string();
            }
            if (!text.empty()) {
                fSink.Append(text);
                fSink.Append("\t");
            }
            fValue.clear();
        } else if (aName == "row") {
            fSink.EndLine();
        }
    }
    void OnText(std::string_view aText) override
    {
        if (fInValue > 0)
            fValue.append(aText);
    }

private:
    // Header and footer texts carry formatting codes such as "&C" or "&\"Arial,Bold\"".
    static std::string HeaderFooterText(const std::string &aCoded)
    {
        std::string out;
        for (std::size_t i = 0; i < aCoded.size(); ++i) {
            if (aCoded[i] != '&' || i + 1 >= aCoded.size()) {
                out += aCoded[i];
                continue;
            }
            ++i;
            if (aCoded[i] == '&') {
                out += '&';
            } else if (aCoded[i] == '"') {
                std::size_t close = aCoded.find('"', i + 1);
                i = close == std::string::npos ? aCoded.size() : close;
            } else {
                if (aCoded[i] == 'C' || aCoded[i] == 'R')
                    out += ' ';
                while (i + 1 < aCoded.size() && std::isdigit(static_cast<unsigned char>(aCoded[i + 1])))
                    ++i;
            }
        }
        return out;
    }

    const std::vector<std::string> &fStrings;
    TTextSink &fSink;
    std::string fCellType;
    std::string fValue;
    int fInValue = 0;
};

class TSheetListHandler : public IXmlHandler
{
public:
    std::vector<std::pair<std::string, std::string>> Sheets; // name, relationship id
    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        if (aName == "sheet")
            Sheets.emplace_back(aElement.Attribute("name"), aElement.Attribute("id"));
    }
    void OnEnd(std::string_view) override {}
    void OnText(std::string_view) override {}
};

void ExtractExcel(const TZipPackage &aZip, TTextSink &aSink)
{
    std::string main = MainPart(aZip, "xl/workbook.xml");
    std::vector<TRelationship> rels = ReadRelationships(aZip, main);
    TSharedStringsHandler strings;
    for (const TRelationship &rel : rels)
        if (rel.Type == "sharedStrings")
            if (const auto *entry = aZip.Find(rel.Target))
                ParseXml(entry->Data, strings);
    TSheetListHandler sheets;
    if (const auto *entry = aZip.Find(main))
        ParseXml(entry->Data, sheets);
    for (const auto &[name, id] : sheets.Sheets) {
        aSink.EndLine();
        aSink.Append(name);
        aSink.EndLine();
        for (const TRelationship &rel : rels) {
            if (rel.Id != id)
                continue;
            if (const auto *entry = aZip.Find(rel.Target)) {
                TSheetHandler handler(strings.Strings, aSink);
                ParseXml(entry->Data, handler);
            }
            for (const TRelationship &sheetRel : ReadRelationships(aZip, rel.Target))
                if (sheetRel.Type == "comments")
                    WriteOoxmlPart(aZip, sheetRel.Target, aSink);
        }
    }
}

void ExtractPowerPoint(const TZipPackage &aZip, TTextSink &aSink)
{
    std::string main = MainPart(aZip, "ppt/presentation.xml");
    std::vector<TRelationship> rels = ReadRelationships(aZip, main);
    std::vector<std::string> slides;
    for (const TRelationship &rel : rels)
        if (rel.Type == "slide")
            slides.push_back(rel.Target);
    // Slides in their number order (slide2 before slide10).
    std::stable_sort(slides.begin(), slides.end(), [](const std::string &a, const std::string &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string &slide : slides) {
        WriteOoxmlPart(aZip, slide, aSink);
        for (const TRelationship &rel : ReadRelationships(aZip, slide))
            if (rel.Type == "notesSlide" || rel.Type == "comments")
                WriteOoxmlPart(aZip, rel.Target, aSink);
    }
}

bool IsEmbedding(const std::string &aName)
{
    return aName.find("/embeddings/") != std::string::npos;
}

} // namespace

void TOoxmlExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    std::string decrypted;
    std::string_view bytes = aDocument.Bytes;
    TDocType type = fType;
    if (type == TDocType::dtEncryptedOoxml) {
        if (aContext.Password().empty())
            ThrowEncrypted("the document is encrypted");
        decrypted = DecryptOoxml(bytes, aContext.Password());
        bytes = decrypted;
        type = DetectDocType(bytes, aDocument.Name);
        if (type != TDocType::dtDocx && type != TDocType::dtXlsx && type != TDocType::dtPptx)
            ThrowCorrupt("the decrypted package is not an office document");
    }
    TZipPackage zip(
        bytes,
        [](const std::string &aName) {
            return aName.ends_with(".xml") || aName.ends_with(".rels") || IsEmbedding(aName);
        },
        ZipBudget(bytes.size()));
    TTextSink &sink = aContext.Sink();
    std::string core = "docProps/core.xml";
    for (const TRelationship &rel : ReadRelationships(zip, ""))
        if (rel.Type == "core-properties")
            core = rel.Target;
    if (const auto *entry = zip.Find(core))
        ReadXmlProperties(entry->Data).Write(sink);
    if (type == TDocType::dtDocx)
        ExtractWord(zip, sink);
    else if (type == TDocType::dtXlsx)
        ExtractExcel(zip, sink);
    else
        ExtractPowerPoint(zip, sink);
    for (const TZipPackage::TEntry &entry : zip.Entries())
        if (IsEmbedding(entry.Name) && !entry.Encrypted)
            aContext.ExtractEmbedded(entry.Data, entry.Name.substr(entry.Name.rfind('/') + 1));
}
