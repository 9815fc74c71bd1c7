// Text in any character set iconv knows: an iconv descriptor that closes itself, and a decoder
// that turns bytes into text piece by piece, keeping a sequence cut at a piece's end for the next.
#pragma once

#include <cstddef>
#include <iconv.h>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One iconv conversion descriptor, closed when it goes.
class TIconv
{
public:
    TIconv(const QByteArray &aTo, const QByteArray &aFrom);
    ~TIconv();
    TIconv(const TIconv &) = delete;
    TIconv &operator=(const TIconv &) = delete;
    bool IsValid() const { return fHandle != iconv_t(-1); }
    // Converts as much as it can; returns false with errno set when it stops early.
    bool Convert(const char *&aIn, size_t &aInLeft, char *&aOut, size_t &aOutLeft);
    // Back to the initial shift state.
    void Reset();

private:
    iconv_t fHandle;
};

// Decodes bytes of one character set (an iconv name: "CP1251", "SHIFT_JIS", "UTF-16BE") into
// text, one piece after the other. Not thread-safe: one decoder per file being read.
class TCharsetDecoder
{
public:
    explicit TCharsetDecoder(const QByteArray &aCharset);

    // False when iconv does not know the character set; such a decoder reads bytes as Latin-1.
    bool IsValid() const { return fIconv.IsValid(); }

    // Appends the text of aBytes to aText and returns how many U+FFFD marks it put where bytes
    // form no character (one for each byte, or each unit of UTF-16 and UTF-32). aConsumed is the
    // number of bytes used: all, except a sequence cut short at the end while more bytes follow
    // (aLast false), which the next call must get again in front of its bytes. Never raises but
    // std::bad_alloc.
    qsizetype Decode(QByteArrayView aBytes, bool aLast, QString &aText, qsizetype &aConsumed);

    // True when iconv can decode aCharset. Any thread.
    static bool IsKnown(const QByteArray &aCharset);

private:
    TIconv fIconv;
    // Bytes skipped after a byte that forms no character: the charset's unit.
    size_t fUnitBytes;
};
