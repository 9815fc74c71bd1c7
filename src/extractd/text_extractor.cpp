// Plain text of any name: byte-order marks, UTF-16 without a mark, UTF-8 and legacy code pages.
#include "extractd/text_extractor.h"

#include "extractd/text_decoder.h"

void TTextExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    std::string_view bytes = aDocument.Bytes;
    constexpr std::size_t Sample = 64 * 1024;
    std::string charset = DetectCharset(bytes.substr(0, Sample), bytes.size() <= Sample);
    std::size_t bom = ByteOrderMarkLength(bytes);
    if ((bom == 3 && charset == "UTF-8") || (bom == 2 && charset.starts_with("UTF-16")))
        bytes.remove_prefix(bom);
    // Piece by piece, so that a large text never needs a second copy of itself in memory.
    constexpr std::size_t Piece = 1 << 20;
    TUtf8Converter converter(charset);
    std::string out;
    for (std::size_t pos = 0; pos < bytes.size(); pos += Piece) {
        out.clear();
        converter.Feed(bytes.substr(pos, Piece), pos + Piece >= bytes.size(), out);
        aContext.Sink().Append(out);
    }
}
