// Piecewise decoding of a plain-text file: UTF-8 by Qt, every other encoding by iconv, with a new
// decision where a piece breaks the one made on the first.
#include "content/plain_text_decoder.h"

#include "content/utf8_text_finder.h"

#include <utility>

TPlainTextDecoder::TPlainTextDecoder(QByteArrayView aHead, bool aWhole)
{
    const std::optional<TTextEncoding> encoding = DecideTextEncoding(aHead);
    fText = encoding.has_value();
    if (!fText)
        return;
    Use(*encoding);
    // Only a file with more to come may need what its head declares once more.
    if (!aWhole && !fEncoding.IsFirm())
        fDeclared = DeclaredCharset(aHead.sliced(fEncoding.fMarkLength));
}

void TPlainTextDecoder::Use(const TTextEncoding &aEncoding)
{
    fEncoding = aEncoding;
    fConverter.reset();
    if (!fEncoding.IsUtf8())
        fConverter = std::make_unique<TCharsetDecoder>(fEncoding.fCharset);
}

bool TPlainTextDecoder::DecideAgain(QByteArrayView aBytes)
{
    TTextEncoding again = IsValidUtf8(aBytes) ? TTextEncoding{"UTF-8", 0, TEncodingReason::erUtf8}
                                              : DecideLegacyEncoding(aBytes, fDeclared);
    if (again.fCharset == fEncoding.fCharset)
        return false;
    // The mark was at the file's start, long before.
    again.fMarkLength = fEncoding.fMarkLength;
    Use(again);
    return true;
}

bool TPlainTextDecoder::KeepsUtf8(QByteArrayView aBytes)
{
    // The first piece is the one the decision was made on: valid UTF-8 when it says UTF-8.
    const bool first = std::exchange(fFirstPiece, false);
    if (!fText || !fEncoding.IsUtf8())
        return false;
    if (first || IsValidUtf8(aBytes))
        return true;
    DecideAgain(aBytes);
    return false;
}

QString TPlainTextDecoder::Decode(QByteArrayView aBytes, bool aLast, qsizetype &aConsumed)
{
    aConsumed = 0;
    if (!fText)
        return {};
    const bool first = fFirstPiece;
    const bool wasUtf8 = fEncoding.IsUtf8();
    if (wasUtf8 && KeepsUtf8(aBytes))
        return DecodeUtf8(aBytes, aLast, aConsumed);
    fFirstPiece = false;
    // Bytes that broke UTF-8 have just been decided on; others only when they form no character.
    QString text;
    const qsizetype marks = fConverter->Decode(aBytes, aLast, text, aConsumed);
    if (marks == 0 || first || wasUtf8 || fEncoding.IsFirm() || !DecideAgain(aBytes))
        return text;
    if (fEncoding.IsUtf8())
        return DecodeUtf8(aBytes, aLast, aConsumed);
    text.clear();
    fConverter->Decode(aBytes, aLast, text, aConsumed);
    return text;
}

QString TPlainTextDecoder::DecodeUtf8(QByteArrayView aBytes, bool aLast, qsizetype &aConsumed)
{
    aConsumed = aLast ? aBytes.size() : CompleteUnitsEnd(aBytes);
    return QString::fromUtf8(aBytes.first(aConsumed));
}
