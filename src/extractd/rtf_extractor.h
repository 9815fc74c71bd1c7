// RTF through our own tokenizer: \uN with its fallback skipped, \'hh in the code page of
// \ansicpg or of the current font's charset, destinations such as fonts and pictures skipped,
// footnotes and comments written after their paragraph.
#pragma once

#include "extractd/extractor.h"

class TRtfExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
