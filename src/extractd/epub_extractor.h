// EPUB books: the XHTML documents of the spine, in reading order.
#pragma once

#include "extractd/extractor.h"

class TEpubExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
