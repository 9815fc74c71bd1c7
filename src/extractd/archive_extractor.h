// Archives (zip, tar, 7z, RAR 4 and 5) and compressed files (gzip, bzip2, xz) through
// libarchive: each entry's name, then its text, following archives inside archives down to the
// nesting limit.
#pragma once

#include "extractd/extractor.h"

class TArchiveExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
