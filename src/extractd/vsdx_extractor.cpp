// Visio drawings (.vsdx): the text of the shapes on every page, a line per shape; the masters'
// placeholder shapes are not read.
#include "extractd/vsdx_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/office_xml_text.h"
#include "extractd/xml_reader.h"
#include "extractd/zip_package.h"

#include <algorithm>

namespace {

// The content of <Text> elements; the markers inside them (<cp/>, <pp/>, <tp/>) carry no text.
class TShapeTextHandler : public IXmlHandler
{
public:
    explicit TShapeTextHandler(TTextSink &aSink) : fSink(aSink) {}

    void OnStart(std::string_view aName, const TXmlElement &) override
    {
        if (aName == "Text")
            ++fInText;
    }
    void OnEnd(std::string_view aName) override
    {
        if (aName == "Text" && fInText > 0 && --fInText == 0)
            fSink.EndLine();
    }
    void OnText(std::string_view aText) override
    {
        if (fInText > 0)
            fSink.Append(aText);
    }

private:
    TTextSink &fSink;
    int fInText = 0;
};

} // namespace

void TVsdxExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TZipPackage zip(
        aDocument.Bytes,
        [](const std::string &aName) { return aName.ends_with(".xml") || aName.ends_with(".rels"); },
        ZipBudget(aDocument.Bytes.size()));
    TTextSink &sink = aContext.Sink();
    if (const auto *core = zip.Find("docProps/core.xml"))
        ReadXmlProperties(core->Data).Write(sink);
    // The pages in the order of the drawing's page list, else in name order.
    std::vector<std::string> pages;
    for (const TRelationship &rel : ReadRelationships(zip, "visio/pages/pages.xml"))
        if (rel.Type == "page")
            pages.push_back(rel.Target);
    if (pages.empty()) {
        for (const TZipPackage::TEntry &entry : zip.Entries())
            if (entry.Name.starts_with("visio/pages/page") && entry.Name.ends_with(".xml"))
                pages.push_back(entry.Name);
        std::sort(pages.begin(), pages.end(), [](const std::string &a, const std::string &b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
    }
    for (const std::string &page : pages) {
        if (const auto *entry = zip.Find(page)) {
            TShapeTextHandler handler(sink);
            ParseXml(entry->Data, handler);
            sink.EndLine();
        }
    }
}
