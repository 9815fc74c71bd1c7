// Finding a text in valid UTF-8 bytes without decoding them: the same answer as decoding the bytes
// and comparing unit by unit in lower case (PosIgnoreCase), at the speed of a byte scan.
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
// How it works: every ASCII byte and every lead byte (0xC0 and above) begins a unit of its own,
// and continuation bytes never do. So the finder scans for the bytes that can begin a unit standing
// for the needle's first unit (every unit whose lower case equals the needle's; overlong forms
// count too, so that bytes that are not valid UTF-8 are read leniently rather than wrongly) and,
// at each such byte, decodes forward, comparing lower cases. A four-byte sequence (a surrogate
// pair) never matches; a needle holding a surrogate, or "?" (which a lenient reading of malformed
// bytes gives), cannot be searched so: IsUsable is false for it.
class TUtf8TextFinder
{
public:
    explicit TUtf8TextFinder(QStringView aNeedle);

    // False for an empty needle and for one the byte scan cannot answer for (see above).
    bool IsUsable() const { return fUsable; }

    // Searches aBytes, which begin at a unit of the decoding (the start of a file or of text after
    // a byte-order mark, or a carry position this call gave). aAtEnd: no bytes follow. Returns true
    // on a match. Otherwise aCarryFrom is where a later call must begin so that a match running on
    // into the following bytes is found: aBytes.size() when no candidate reached the end. Usable
    // finders only.
    bool Find(QByteArrayView aBytes, bool aAtEnd, qsizetype &aCarryFrom) const;

private:
    // The first byte of a unit standing for the needle's first unit, up to aEnd; -1 when none.
    qsizetype NextCandidate(const uint8_t *aBytes, qsizetype aFrom, qsizetype aEnd) const;
    enum class TVerdict
    {
        Match,
        Mismatch,
        NeedMore
    };
    TVerdict MatchAt(const uint8_t *aBytes, qsizetype aPos, qsizetype aEnd, bool aAtEnd) const;

    QString fLowered;
    bool fUsable = false;
    std::array<bool, 256> fIsAnchor{};
    // The anchor bytes when there are few (the vector scan), else empty (the table scan).
    std::vector<uint8_t> fAnchors;
    // The vector scan of byte pairs, when the needle has two units and few anchors: an ASCII
    // anchor counts only when the next byte can begin the needle's second unit; the other
    // anchors count alone. Empty when not used.
    std::vector<uint8_t> fPairFirst, fPairSecond, fSolo;
};

// Where the decoding of aBytes may safely end when more bytes follow: before a trailing sequence
// that is still incomplete (its lead byte and only continuation bytes after it). Pure.
qsizetype CompleteUnitsEnd(QByteArrayView aBytes);
