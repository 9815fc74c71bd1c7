// XPS documents: the Unicode strings of the glyph runs of every page, in page order, runs on
// one baseline joined into a line, after the document's properties.
#include "extractd/xps_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/xml_reader.h"
#include "extractd/zip_package.h"

#include <algorithm>
#include <vector>

namespace {

class TGlyphsHandler : public IXmlHandler
{
public:
    explicit TGlyphsHandler(TTextSink &aSink) : fSink(aSink) {}

    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        if (aName != "Glyphs")
            return;
        std::string text = aElement.Attribute("UnicodeString");
        // "{}" escapes a string that itself starts with "{".
        if (text.starts_with("{}"))
            text.erase(0, 2);
        if (text.empty())
            return;
        std::string baseline = aElement.Attribute("OriginY");
        if (fStarted && baseline == fBaseline)
            fSink.Append(" ");
        else
            fSink.EndLine();
        fSink.Append(text);
        fBaseline = baseline;
        fStarted = true;
    }
    void OnEnd(std::string_view) override {}
    void OnText(std::string_view) override {}

private:
    TTextSink &fSink;
    std::string fBaseline;
    bool fStarted = false;
};

// "Pages/2.fpage" before "Pages/10.fpage": shorter names first, then in name order.
bool PageOrder(const std::string &aLeft, const std::string &aRight)
{
    return aLeft.size() != aRight.size() ? aLeft.size() < aRight.size() : aLeft < aRight;
}

} // namespace

void TXpsExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TZipPackage zip(
        aDocument.Bytes,
        [](const std::string &aName) { return aName.ends_with(".fpage") || aName == "docProps/core.xml"; },
        ZipBudget(aDocument.Bytes.size()));
    if (const auto *core = zip.Find("docProps/core.xml"))
        ReadXmlProperties(core->Data).Write(aContext.Sink());
    std::vector<std::string> pages;
    for (const TZipPackage::TEntry &entry : zip.Entries())
        if (entry.Name.ends_with(".fpage"))
            pages.push_back(entry.Name);
    std::sort(pages.begin(), pages.end(), PageOrder);
    for (const std::string &page : pages) {
        TGlyphsHandler handler(aContext.Sink());
        ParseXml(zip.Find(page)->Data, handler);
        aContext.Sink().EndLine();
    }
}
