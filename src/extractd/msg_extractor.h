// Outlook messages (.msg) through libgsf: subject, sender, recipients, the body (plain, else
// HTML), and the text of the attachments.
#pragma once

#include "extractd/extractor.h"

class TMsgExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};
