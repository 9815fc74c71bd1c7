// HTML and XHTML: charset from the byte-order mark or a meta tag, script and style dropped,
// entities decoded, one line per block element.
#pragma once

#include "extractd/extractor.h"

class THtmlExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};

// The charset an HTML page declares in a meta tag within its first bytes, or "".
std::string HtmlMetaCharset(std::string_view aHead);
