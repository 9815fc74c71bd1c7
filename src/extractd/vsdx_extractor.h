// Visio drawings (.vsdx): the text of the shapes on every page, a line per shape; the masters'
// placeholder shapes are not read.
#pragma once

#include "extractd/extractor.h"

class TVsdxExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
