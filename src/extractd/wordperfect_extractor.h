// WordPerfect documents (4.2 to X-series) through libwpd: the text of the body, headers,
// footers and notes as its text generator writes it; password-protected files need the
// request's password.
#pragma once

#include "extractd/extractor.h"

class TWordPerfectExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
