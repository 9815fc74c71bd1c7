// DjVu documents: the hidden text layer of every page, through djvulibre's djvutxt run as a
// helper in the sandboxed child (the library decodes on threads of its own, which the child
// does not allow). A document without a text layer has no text.
#pragma once

#include "extractd/extractor.h"

class TDjvuExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
