// A document's own description (title, subject, keywords, author, description) from the places
// formats keep it, written at the start of the document's text.
#pragma once

#include "extractd/text_sink.h"

#include <string>
#include <string_view>

class TOleFile;

struct TDocumentProperties
{
    std::string Title;
    std::string Subject;
    std::string Keywords;
    std::string Author;
    std::string Description;

    // Fills each empty field from aOther.
    void Complete(const TDocumentProperties &aOther);
    // Writes the fields that have a value, one per line in the order above, a value that repeats
    // an earlier one only once.
    void Write(TTextSink &aSink) const;
};

// The properties of an XML part that names them with Dublin Core and office names: OOXML
// docProps/core.xml, ODF meta.xml, the metadata of an EPUB package, XMP. A part that is not
// well-formed gives nothing.
TDocumentProperties ReadXmlProperties(std::string_view aXml);
// The properties in the "\005SummaryInformation" stream of a compound file (nothing when it
// has none or it cannot be read).
TDocumentProperties ReadSummaryInformation(const TOleFile &aOle);
