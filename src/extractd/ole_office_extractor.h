// Legacy Word and Excel files through Debian's catdoc/antiword and xls2csv, run as helpers inside
// the sandboxed child. Encrypted files are recognised and refused.
#pragma once

#include "extractd/doc_type.h"
#include "extractd/extractor.h"

class TOleOfficeExtractor : public IExtractor
{
public:
    explicit TOleOfficeExtractor(TDocType aType) : fType(aType) {}
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;

private:
    TDocType fType;
};

// The text of xls2csv's output: cells separated by tabs, quotes removed, empty cells dropped.
std::string CsvToText(const std::string &aCsv);
