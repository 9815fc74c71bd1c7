// E-mail messages (.eml) through GMime: subject, sender and recipients, the text parts, HTML
// parts as text, and the text of attachments and attached messages.
#pragma once

#include "extractd/extractor.h"

class TMailExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
