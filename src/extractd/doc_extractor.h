// Word 97-2003 documents read natively through their piece table: the main text, footnotes,
// headers and footers, comments, endnotes and text boxes, field results without their codes,
// and the objects embedded in the document. Word 6 and 95 files go through catdoc.
#pragma once

#include "extractd/extractor.h"

class TDocExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
