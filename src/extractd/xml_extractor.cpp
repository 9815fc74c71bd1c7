// XML documents of no known vocabulary: their text nodes, one element's text per line.
#include "extractd/xml_extractor.h"

#include "extractd/xml_reader.h"

namespace {

class TTextNodes : public IXmlHandler
{
public:
    explicit TTextNodes(TTextSink &aSink) : fSink(aSink) {}
    void OnStart(std::string_view, const TXmlElement &) override { fSink.EndLine(); }
    void OnEnd(std::string_view) override { fSink.EndLine(); }
    void OnText(std::string_view aText) override
    {
        if (aText.find_first_not_of(" \t\r\n") != std::string_view::npos)
            fSink.Append(aText);
    }

private:
    TTextSink &fSink;
};

} // namespace

void TXmlExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TTextNodes handler(aContext.Sink());
    ParseXml(aDocument.Bytes, handler);
    aContext.Sink().EndLine();
}
