// E-mail messages (.eml) and mail folders (mbox) through GMime: each message's subject, sender
// and recipients, its text parts, HTML parts as text, and the text of attachments and attached
// messages, transfer encodings undone.
#pragma once

#include "extractd/extractor.h"

class TMailExtractor : public IExtractor
{
public:
    // aFolder: the document is a mail folder of messages each starting with a "From " line.
    explicit TMailExtractor(bool aFolder) : fFolder(aFolder) {}
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;

private:
    bool fFolder;
};
