// XML documents of no known vocabulary: their text nodes, one element's text per line.
#pragma once

#include "extractd/extractor.h"

class TXmlExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
