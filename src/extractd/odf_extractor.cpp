// OpenDocument text, spreadsheets and presentations: the body of content.xml, then the headers
// and footers of the master pages in styles.xml.
#include "extractd/odf_extractor.h"

#include "extractd/xml_reader.h"
#include "extractd/zip_package.h"

namespace {

// Writes the text found inside elements named aScope (office:body, style:master-page).
class TOdfTextHandler : public IXmlHandler
{
public:
    TOdfTextHandler(TTextSink &aSink, std::string_view aScope) : fSink(aSink), fScope(aScope) {}

    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        if (aName == fScope)
            ++fInScope;
        if (fInScope == 0)
            return;
        if (aName == "tab")
            fSink.Append("\t");
        else if (aName == "line-break")
            fSink.Append("\n");
        else if (aName == "s") {
            int count = std::max(1, std::atoi(aElement.Attribute("c").c_str()));
            fSink.Append(std::string(static_cast<std::size_t>(std::min(count, 1000)), ' '));
        }
    }
    void OnEnd(std::string_view aName) override
    {
        if (fInScope > 0 && (aName == "p" || aName == "h" || aName == "table-row"))
            fSink.EndLine();
        else if (fInScope > 0 && aName == "table-cell")
            fSink.Append("\t");
        if (aName == fScope)
            --fInScope;
    }
    void OnText(std::string_view aText) override
    {
        if (fInScope > 0)
            fSink.Append(aText);
    }

private:
    TTextSink &fSink;
    std::string_view fScope;
    int fInScope = 0;
};

} // namespace

void TOdfExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TZipPackage zip(
        aDocument.Bytes,
        [](const std::string &aName) { return aName == "content.xml" || aName == "styles.xml"; },
        ZipBudget(aDocument.Bytes.size()));
    if (const auto *content = zip.Find("content.xml")) {
        TOdfTextHandler handler(aContext.Sink(), "body");
        ParseXml(content->Data, handler);
        aContext.Sink().EndLine();
    }
    if (const auto *styles = zip.Find("styles.xml")) {
        TOdfTextHandler handler(aContext.Sink(), "master-page");
        ParseXml(styles->Data, handler);
        aContext.Sink().EndLine();
    }
}
