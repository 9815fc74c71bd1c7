// Streaming XML parsing through libxml2 with network access, DTD loading and entity expansion
// off and a depth limit, handing elements and text to a handler.
#include "extractd/xml_reader.h"

#include "extractd/extract_error.h"
#include "extractd/extract_limits.h"

#include <libxml/xmlreader.h>
#include <memory>

namespace {

void IgnoreGenericError(void *, const char *, ...) {}
void IgnoreStructuredError(void *, xmlErrorPtr) {}

std::string_view View(const xmlChar *aText)
{
    return aText == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char *>(aText));
}

} // namespace

void SilenceXmlErrors()
{
    xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
    xmlSetStructuredErrorFunc(nullptr, IgnoreStructuredError);
}

std::string TXmlElement::Attribute(const char *aLocalName) const
{
    std::string value;
    if (xmlTextReaderMoveToFirstAttribute(fReader) == 1) {
        do {
            if (View(xmlTextReaderConstLocalName(fReader)) == aLocalName) {
                value = View(xmlTextReaderConstValue(fReader));
                break;
            }
        } while (xmlTextReaderMoveToNextAttribute(fReader) == 1);
        xmlTextReaderMoveToElement(fReader);
    }
    return value;
}

void ParseXml(std::string_view aBytes, IXmlHandler &aHandler)
{
    if (aBytes.size() > static_cast<std::size_t>(INT32_MAX))
        ThrowBomb("XML part too large");
    std::unique_ptr<xmlTextReader, void (*)(xmlTextReaderPtr)> reader(
        xmlReaderForMemory(aBytes.data(), static_cast<int>(aBytes.size()), nullptr, nullptr,
                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeTextReader);
    if (!reader)
        ThrowCorrupt("cannot parse XML");
    xmlTextReaderPtr r = reader.get();
    int rc;
    while ((rc = xmlTextReaderRead(r)) == 1) {
        switch (xmlTextReaderNodeType(r)) {
        case XML_READER_TYPE_ELEMENT: {
            if (xmlTextReaderDepth(r) > ExtractLimits::MaxXmlDepth)
                ThrowBomb("XML nested too deep");
            std::string name(View(xmlTextReaderConstLocalName(r)));
            bool empty = xmlTextReaderIsEmptyElement(r) == 1;
            aHandler.OnStart(name, TXmlElement(r));
            if (empty)
                aHandler.OnEnd(name);
            break;
        }
        case XML_READER_TYPE_END_ELEMENT:
            aHandler.OnEnd(View(xmlTextReaderConstLocalName(r)));
            break;
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
            aHandler.OnText(View(xmlTextReaderConstValue(r)));
            break;
        default:
            break;
        }
    }
    if (rc < 0)
        ThrowCorrupt("XML is not well-formed");
}
