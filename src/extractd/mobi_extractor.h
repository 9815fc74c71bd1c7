// Mobipocket and Kindle books (MOBI, AZW, AZW3) without DRM, and PalmDOC texts: the book's
// records decompressed (PalmDOC LZ77) and read as HTML, after the title, author, subject and
// description of its header. Books with DRM are refused as encrypted, Huffman-compressed ones
// as unreadable.
#pragma once

#include "extractd/extractor.h"

#include <string>
#include <string_view>

class TMobiExtractor : public IExtractor
{
public:
    void Extract(const TDocument &aDocument, TExtractContext &aContext) override;
};

// Undoes PalmDOC's LZ77 compression of one text record.
std::string PalmDocDecompress(std::string_view aRecord);
