// Streaming XML parsing through libxml2 with network access, DTD loading and entity expansion
// off and a depth limit, handing elements and text to a handler.
#pragma once

#include <string>
#include <string_view>

typedef struct _xmlTextReader *xmlTextReaderPtr;

// The element the parser stands on, for reading its attributes inside OnStart.
class TXmlElement
{
public:
    explicit TXmlElement(xmlTextReaderPtr aReader) : fReader(aReader) {}
    // The value of the attribute with local name aLocalName (any namespace), or "".
    std::string Attribute(const char *aLocalName) const;

private:
    xmlTextReaderPtr fReader;
};

class IXmlHandler
{
public:
    virtual ~IXmlHandler() = default;
    // aName is the element's local name (without prefix).
    virtual void OnStart(std::string_view aName, const TXmlElement &aElement) = 0;
    virtual void OnEnd(std::string_view aName) = 0;
    virtual void OnText(std::string_view aText) = 0;
};

// Parses aBytes and reports to aHandler. Throws TExtractError(ekCorrupt) for XML that is not
// well-formed, TExtractError(ekBomb) for nesting deeper than ExtractLimits::MaxXmlDepth.
// Exceptions thrown by the handler pass through.
void ParseXml(std::string_view aBytes, IXmlHandler &aHandler);

// Turns libxml2's error printing off for this process (the child has no one to read it).
void SilenceXmlErrors();
