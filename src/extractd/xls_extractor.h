// Excel 97-2003 workbooks read natively from their BIFF8 records: sheet names, every cell
// (shared strings, numbers, dates, the results of formulas), notes and text boxes, headers
// and footers. Older workbooks (BIFF5 and before) go through xls2csv.
#pragma once

#include "extractd/extractor.h"

#include <string_view>

class TXlsExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};

// Writes the text of a BIFF8 "Workbook" stream to aSink; false when it is no BIFF8 workbook.
// Also used for workbooks embedded in other compound files.
bool WriteBiff8Workbook(std::string_view aWorkbook, TTextSink &aSink);
