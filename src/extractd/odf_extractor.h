// OpenDocument text, spreadsheets and presentations: the body of content.xml, the headers and
// footers of the master pages in styles.xml, then the documents embedded as objects.
#pragma once

#include "extractd/extractor.h"

class TOdfExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
