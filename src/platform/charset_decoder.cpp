// iconv descriptors and piecewise decoding into UTF-16 text with U+FFFD for what is not a
// character.
#include "platform/charset_decoder.h"

#include <algorithm>
#include <array>
#include <cerrno>

TIconv::TIconv(const QByteArray &aTo, const QByteArray &aFrom)
    : fHandle(iconv_open(aTo.constData(), aFrom.constData()))
{
}

TIconv::~TIconv()
{
    if (IsValid())
        iconv_close(fHandle);
}

bool TIconv::Convert(const char *&aIn, size_t &aInLeft, char *&aOut, size_t &aOutLeft)
{
    char *in = const_cast<char *>(aIn);
    const bool ok = iconv(fHandle, &in, &aInLeft, &aOut, &aOutLeft) != size_t(-1);
    aIn = in;
    return ok;
}

void TIconv::Reset()
{
    if (IsValid())
        iconv(fHandle, nullptr, nullptr, nullptr, nullptr);
}

namespace {

size_t UnitBytes(const QByteArray &aCharset)
{
    const QByteArray name = aCharset.toUpper();
    if (name.startsWith("UTF-32") || name.startsWith("UCS-4"))
        return 4;
    if (name.startsWith("UTF-16") || name.startsWith("UCS-2"))
        return 2;
    return 1;
}

} // namespace

TCharsetDecoder::TCharsetDecoder(const QByteArray &aCharset)
    : fIconv("UTF-16LE", aCharset), fUnitBytes(UnitBytes(aCharset))
{
}

qsizetype TCharsetDecoder::Decode(QByteArrayView aBytes, bool aLast, QString &aText, qsizetype &aConsumed)
{
    if (!IsValid()) {
        aText.append(QString::fromLatin1(aBytes.data(), aBytes.size()));
        aConsumed = aBytes.size();
        return 0;
    }
    const char *in = aBytes.data();
    size_t inLeft = size_t(aBytes.size());
    qsizetype marks = 0;
    std::array<char16_t, 8192> buffer;
    while (inLeft > 0) {
        char *out = reinterpret_cast<char *>(buffer.data());
        size_t outLeft = sizeof buffer;
        const bool done = fIconv.Convert(in, inLeft, out, outLeft);
        const int error = errno;
        aText.append(reinterpret_cast<const QChar *>(buffer.data()),
                     (out - reinterpret_cast<char *>(buffer.data())) / qsizetype(sizeof(char16_t)));
        if (done)
            break;
        if (error == E2BIG)
            continue;
        if (error == EINVAL && !aLast)
            break; // cut short: the rest comes again with the next piece
        if (error != EILSEQ && error != EINVAL)
            break;
        // Not a character (or cut short at the very end): one mark, then on after it.
        aText.append(QChar(0xFFFD));
        ++marks;
        const size_t skip = std::min(fUnitBytes, inLeft);
        in += skip;
        inLeft -= skip;
        fIconv.Reset();
    }
    if (aLast)
        fIconv.Reset();
    aConsumed = in - aBytes.data();
    return marks;
}

bool TCharsetDecoder::IsKnown(const QByteArray &aCharset)
{
    return !aCharset.isEmpty() && TIconv("UTF-16LE", aCharset).IsValid();
}
