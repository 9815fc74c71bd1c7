// PowerPoint 97-2003 presentations read natively from the "PowerPoint Document" stream: the
// text atoms of the slides, their notes and comments, and the headers and footers of masters.
#pragma once

#include "extractd/extractor.h"

class TPptExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
