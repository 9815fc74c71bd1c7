// OpenDocument text, spreadsheets and presentations: the body of content.xml, then the headers
// and footers of the master pages in styles.xml.
#pragma once

#include "extractd/extractor.h"

class TOdfExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
