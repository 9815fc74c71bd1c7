// The text of a plain-text file in the encoding it was written in, decoded a piece at a time:
// decided on the first piece, and decided again on a later piece that breaks that decision.
#pragma once

#include "content/text_encoding.h"
#include "platform/charset_decoder.h"

#include <memory>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One per file being read; not thread-safe.
class TPlainTextDecoder
{
public:
    // Decides on the first bytes of the file (aWhole: they are all of it), as DecideTextEncoding.
    TPlainTextDecoder(QByteArrayView aHead, bool aWhole);

    // False when the first bytes do not look like text; such a decoder decodes nothing.
    bool IsText() const { return fText; }
    const TTextEncoding &Encoding() const { return fEncoding; }

    // Whether the next bytes of the file may be searched as they are, as UTF-8: true when the file
    // is UTF-8 and they are valid UTF-8 (IsValidUtf8). When they break the UTF-8 decision, the
    // encoding is decided again on them (never UTF-8 with replacement marks) and the answer is
    // false. The first bytes given here or to Decode are those the decision was made on, after
    // the mark.
    bool KeepsUtf8(QByteArrayView aBytes);

    // The text of the next bytes of the file. aConsumed: how many of them it used; a sequence cut
    // short at their end is left for the next call unless aLast. Bytes that break a decision
    // guessed from the letters (UTF-8, a declared, detected or ANSI code page) make it decided
    // again on them first; where even that leaves bytes that form no character, U+FFFD stands for
    // them. Never raises but std::bad_alloc.
    QString Decode(QByteArrayView aBytes, bool aLast, qsizetype &aConsumed);

private:
    void Use(const TTextEncoding &aEncoding);
    // Decides again on bytes that broke the decision; true when the encoding changed.
    bool DecideAgain(QByteArrayView aBytes);
    static QString DecodeUtf8(QByteArrayView aBytes, bool aLast, qsizetype &aConsumed);

    bool fText = false;
    bool fFirstPiece = true;
    TTextEncoding fEncoding;
    // What the file's head declares, for deciding again on a later piece.
    QByteArray fDeclared;
    // For every encoding but UTF-8.
    std::unique_ptr<TCharsetDecoder> fConverter;
};
