// PowerPoint 97-2003 presentations read natively from the "PowerPoint Document" stream: the
// text atoms of the slides, their notes and comments, masters and handouts left out.
#pragma once

#include "extractd/extractor.h"

class TPptExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
