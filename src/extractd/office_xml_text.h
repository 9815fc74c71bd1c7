// XML handlers shared by the zip-based office extractors: the text runs of WordprocessingML and
// DrawingML, and the relationships that link a package's parts.
#pragma once

#include "extractd/text_sink.h"
#include "extractd/xml_reader.h"
#include "extractd/zip_package.h"

#include <string>
#include <vector>

// Writes the text of OOXML parts: the content of <t> elements, a line per paragraph, tabs,
// breaks, a tab after each table cell; alternate-content fallbacks are skipped (their text
// repeats the chosen branch).
class TOoxmlTextHandler : public IXmlHandler
{
public:
    explicit TOoxmlTextHandler(TTextSink &aSink) : fSink(aSink) {}
    void OnStart(std::string_view aName, const TXmlElement &aElement) override;
    void OnEnd(std::string_view aName) override;
    void OnText(std::string_view aText) override;

private:
    TTextSink &fSink;
    int fInText = 0;
    int fInTabStops = 0;
    int fSkipped = 0;
};

struct TRelationship
{
    std::string Id;
    std::string Type;   // the last path segment of the type URI, e.g. "header"
    std::string Target; // part name resolved inside the package
};

// The relationships of aPart ("" for the package's own) from its .rels part in aZip.
std::vector<TRelationship> ReadRelationships(const TZipPackage &aZip, const std::string &aPart);
// Parses aPart of aZip (when it exists) with a TOoxmlTextHandler into aSink, ending with a line.
void WriteOoxmlPart(const TZipPackage &aZip, const std::string &aPart, TTextSink &aSink);
