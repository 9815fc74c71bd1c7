// Finding a text in valid UTF-8 bytes without decoding them: the same answer as decoding the bytes
// and comparing unit by unit in lower case (PosIgnoreCase), at the speed of memchr.
#pragma once

#include <array>
#include <cstdint>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <vector>

// A needle prepared for searching UTF-8. Built once per text to find; const afterwards, so one
// finder serves any number of threads.
//
// How it works: every ASCII byte and every lead byte begins a unit of its own, and continuation
// bytes never do. Of the needle's units the finder picks the one whose forms (every unit whose
// lower case equals it) begin with the bytes rarest in ordinary text, and looks for those bytes
// with memchr. Around each, it tries the starts the needle's earlier units allow (each takes one
// to three bytes) and decodes forward from them, comparing lower cases. A four-byte sequence (a
// surrogate pair) never matches; a needle holding a surrogate, or "?" (which a lenient reading of
// malformed bytes gives), cannot be searched so: IsUsable is false for it.
class TUtf8TextFinder
{
public:
    explicit TUtf8TextFinder(QStringView aNeedle);

    // False for an empty needle and for one the byte scan cannot answer for (see above).
    bool IsUsable() const { return fUsable; }

    // Searches aBytes, valid UTF-8 that begins at a unit (the start of a file, the text after a
    // byte-order mark, or a carry position this call gave). aAtEnd: no bytes follow. Returns true
    // on a match. Otherwise aCarryFrom is where a later call must begin so that a match running on
    // into the following bytes is found; it is the start of a unit. Usable finders only.
    bool Find(QByteArrayView aBytes, bool aAtEnd, qsizetype &aCarryFrom) const;

private:
    enum class TVerdict
    {
        Match,
        Mismatch,
        NeedMore
    };
    TVerdict MatchAt(const uint8_t *aBytes, qsizetype aPos, qsizetype aEnd, bool aAtEnd) const;

    QString fLowered;
    bool fUsable = false;
    // The bytes that begin a form of the first unit.
    std::array<bool, 256> fBeginsFirst{};
    // The bytes that begin a form of the unit looked for, and the bytes the units before it take.
    std::vector<uint8_t> fRareLeads;
    qsizetype fMinBefore = 0, fMaxBefore = 0;
};

// Where the decoding of aBytes may safely end when more bytes follow: before a trailing sequence
// that is still incomplete (its lead byte and only continuation bytes after it). Pure.
qsizetype CompleteUnitsEnd(QByteArrayView aBytes);
