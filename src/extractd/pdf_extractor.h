// PDF documents through poppler-cpp, page by page in reading order, with the request's password.
#pragma once

#include "extractd/extractor.h"

class TPdfExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
