// Plain text of any name: byte-order marks, UTF-16 without a mark, UTF-8 and legacy code pages.
#pragma once

#include "extractd/extractor.h"

class TTextExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
