// XPS documents: the Unicode strings of the glyph runs of every page, in page order, runs on
// one baseline joined into a line, after the document's properties.
#pragma once

#include "extractd/extractor.h"

class TXpsExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
