// Office Open XML documents: Word (body, headers, footers, footnotes, endnotes, comments, text
// boxes), Excel (sheet names, cells through the shared strings) and PowerPoint (slides, notes),
// plus the documents embedded in them. Encrypted packages are opened with the request's password.
#pragma once

#include "extractd/doc_type.h"
#include "extractd/extractor.h"

class TOoxmlExtractor : public IExtractor
{
public:
    explicit TOoxmlExtractor(TDocType aType) : fType(aType) {}
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;

private:
    TDocType fType;
};
