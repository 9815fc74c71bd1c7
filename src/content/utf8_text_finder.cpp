// The byte scan for a needle in lenient UTF-8: anchor bytes of the first unit, found sixteen at
// a time, then a forward decode of the candidate.
#include "content/utf8_text_finder.h"

#include "platform/lower_case.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsTail(uint8_t aByte)
{
    return (aByte & 0xC0) == 0x80;
}

// The length the lenient decoder gives a sequence led by aByte when its continuation bytes are
// there: 1 for ASCII and for bytes that lead nothing.
int SequenceLength(uint8_t aByte)
{
    if ((aByte & 0xE0) == 0xC0)
        return 2;
    if ((aByte & 0xF0) == 0xE0)
        return 3;
    if ((aByte & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Every (lower case, unit) pair of the BMP whose lower case differs from the unit, by lower case.
const std::vector<std::pair<char16_t, char16_t>> &UnitsByLowerCase()
{
    static const std::vector<std::pair<char16_t, char16_t>> table = [] {
        std::vector<std::pair<char16_t, char16_t>> pairs;
        for (uint32_t unit = 0x80; unit <= 0xFFFF; ++unit) {
            const char16_t lowered = LowerCaseUnit(char16_t(unit));
            if (lowered != unit)
                pairs.emplace_back(lowered, char16_t(unit));
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    }();
    return table;
}

// The lead bytes of every sequence the lenient decoder turns into aUnit: its UTF-8 form and
// the overlong forms.
void AddLeadBytes(char16_t aUnit, std::array<bool, 256> &aLeads);

// The lead bytes of every sequence that the lenient decoder turns into a unit whose lower case is
// aLowered.
std::array<bool, 256> LeadBytesOf(char16_t aLowered)
{
    std::array<bool, 256> leads{};
    if (LowerCaseUnit(aLowered) == aLowered)
        AddLeadBytes(aLowered, leads);
    if (aLowered >= u'a' && aLowered <= u'z')
        AddLeadBytes(char16_t(aLowered - 32), leads);
    const auto &table = UnitsByLowerCase();
    for (auto it = std::lower_bound(table.begin(), table.end(), std::pair<char16_t, char16_t>(aLowered, 0));
         it != table.end() && it->first == aLowered; ++it)
        AddLeadBytes(it->second, leads);
    return leads;
}

void AddLeadBytes(char16_t aUnit, std::array<bool, 256> &aLeads)
{
    if (aUnit < 0x80) {
        aLeads[aUnit] = true;
        aLeads[0xC0 | (aUnit >> 6)] = true; // two-byte overlong
        aLeads[0xE0] = true;                // three-byte overlong
    } else if (aUnit < 0x800) {
        aLeads[0xC0 | (aUnit >> 6)] = true;
        aLeads[0xE0] = true;
    } else {
        aLeads[0xE0 | (aUnit >> 12)] = true;
    }
}

} // namespace

TUtf8TextFinder::TUtf8TextFinder(QStringView aNeedle) : fLowered(LowerCasePerUnit(aNeedle))
{
    fUsable = !fLowered.isEmpty() && std::none_of(fLowered.begin(), fLowered.end(), [](QChar aUnit) {
        return aUnit == u'?' || aUnit.isSurrogate();
    });
    if (!fUsable)
        return;
    fIsAnchor = LeadBytesOf(fLowered[0].unicode());
    for (int byte = 0; byte < 256; ++byte)
        if (fIsAnchor[size_t(byte)])
            (byte < 0x80 ? fPairFirst : fSolo).push_back(uint8_t(byte));
    fAnchors = fPairFirst;
    fAnchors.insert(fAnchors.end(), fSolo.begin(), fSolo.end());
    if (fAnchors.size() > 4)
        fAnchors.clear();
    if (fLowered.size() >= 2) {
        const std::array<bool, 256> second = LeadBytesOf(fLowered[1].unicode());
        for (int byte = 0; byte < 256; ++byte)
            if (second[size_t(byte)])
                fPairSecond.push_back(uint8_t(byte));
    }
    if (fPairFirst.empty() || fPairFirst.size() > 2 || fPairSecond.empty() || fPairSecond.size() > 4 ||
        fSolo.size() > 4) {
        fPairFirst.clear();
        fPairSecond.clear();
        fSolo.clear();
    }
}

qsizetype TUtf8TextFinder::NextCandidate(const uint8_t *aBytes, qsizetype aFrom, qsizetype aEnd) const
{
#if defined(__SSE2__)
    if (!fPairFirst.empty()) {
        // Sets of fewer than their lanes repeat one of their bytes; the solo lanes are used only
        // when there are solo anchors.
        const auto spread = [](const std::vector<uint8_t> &aSet, size_t aIndex) {
            return aSet.empty() ? _mm_setzero_si128()
                                : _mm_set1_epi8(char(aSet[std::min(aIndex, aSet.size() - 1)]));
        };
        const bool solo = !fSolo.empty();
        const __m128i f0 = spread(fPairFirst, 0), f1 = spread(fPairFirst, 1);
        const __m128i s0 = spread(fPairSecond, 0), s1 = spread(fPairSecond, 1), s2 = spread(fPairSecond, 2),
                      s3 = spread(fPairSecond, 3);
        const __m128i o0 = spread(fSolo, 0), o1 = spread(fSolo, 1), o2 = spread(fSolo, 2),
                      o3 = spread(fSolo, 3);
        for (; aFrom + 17 <= aEnd; aFrom += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(aBytes + aFrom));
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i *>(aBytes + aFrom + 1));
            const __m128i first = _mm_or_si128(_mm_cmpeq_epi8(v, f0), _mm_cmpeq_epi8(v, f1));
            const __m128i second = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(w, s0), _mm_cmpeq_epi8(w, s1)),
                                                _mm_or_si128(_mm_cmpeq_epi8(w, s2), _mm_cmpeq_epi8(w, s3)));
            __m128i hits = _mm_and_si128(first, second);
            if (solo)
                hits = _mm_or_si128(hits,
                                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, o0), _mm_cmpeq_epi8(v, o1)),
                                                 _mm_or_si128(_mm_cmpeq_epi8(v, o2), _mm_cmpeq_epi8(v, o3))));
            if (const int mask = _mm_movemask_epi8(hits))
                return aFrom + std::countr_zero(unsigned(mask));
        }
    } else if (!fAnchors.empty()) {
        // Fewer than four anchors repeat one of them.
        const auto anchor = [this](size_t aIndex) {
            return _mm_set1_epi8(char(fAnchors[std::min(aIndex, fAnchors.size() - 1)]));
        };
        const __m128i a0 = anchor(0), a1 = anchor(1), a2 = anchor(2), a3 = anchor(3);
        for (; aFrom + 16 <= aEnd; aFrom += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(aBytes + aFrom));
            const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, a0), _mm_cmpeq_epi8(v, a1)),
                                              _mm_or_si128(_mm_cmpeq_epi8(v, a2), _mm_cmpeq_epi8(v, a3)));
            if (const int mask = _mm_movemask_epi8(hits))
                return aFrom + std::countr_zero(unsigned(mask));
        }
    }
#endif
    for (; aFrom < aEnd; ++aFrom)
        if (fIsAnchor[aBytes[aFrom]])
            return aFrom;
    return -1;
}

TUtf8TextFinder::TVerdict TUtf8TextFinder::MatchAt(const uint8_t *aBytes, qsizetype aPos, qsizetype aEnd,
                                                   bool aAtEnd) const
{
    // A unit that is "?" never matches: the needle holds none.
    const TVerdict cutShort = aAtEnd ? TVerdict::Mismatch : TVerdict::NeedMore;
    qsizetype at = aPos;
    for (QChar wanted : fLowered) {
        if (at >= aEnd)
            return cutShort;
        const uint8_t lead = aBytes[at];
        const int length = SequenceLength(lead);
        if (length == 4 || (lead >= 0x80 && length == 1))
            return TVerdict::Mismatch;
        char16_t unit = lead;
        if (length > 1) {
            for (int k = 1; k < length; ++k) {
                if (at + k >= aEnd)
                    return cutShort;
                if (!IsTail(aBytes[at + k]))
                    return TVerdict::Mismatch;
            }
            unit = length == 2 ? char16_t(((lead & 0x1F) << 6) | (aBytes[at + 1] & 0x3F))
                               : char16_t(((lead & 0x0F) << 12) | ((aBytes[at + 1] & 0x3F) << 6) |
                                          (aBytes[at + 2] & 0x3F));
        }
        if (LowerCaseUnit(unit) != wanted.unicode())
            return TVerdict::Mismatch;
        at += length;
    }
    return TVerdict::Match;
}

bool TUtf8TextFinder::Find(QByteArrayView aBytes, bool aAtEnd, qsizetype &aCarryFrom) const
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(aBytes.data());
    const qsizetype end = aBytes.size();
    for (qsizetype at = NextCandidate(bytes, 0, end); at >= 0; at = NextCandidate(bytes, at + 1, end)) {
        switch (MatchAt(bytes, at, end, aAtEnd)) {
        case TVerdict::Match:
            return true;
        case TVerdict::NeedMore:
            aCarryFrom = at;
            return false;
        case TVerdict::Mismatch:
            break;
        }
    }
    aCarryFrom = end;
    return false;
}

TLenientCounts CountLenientUnits(QByteArrayView aBytes)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(aBytes.data());
    const qsizetype end = aBytes.size();
    TLenientCounts counts;
    qsizetype i = 0;
    while (i < end) {
#if defined(__SSE2__)
        const __m128i question = _mm_set1_epi8('?');
        while (end - i >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i));
            if (_mm_movemask_epi8(v) != 0)
                break;
            counts.fUnits += 16;
            counts.fQuestionMarks += std::popcount(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, question))));
            i += 16;
        }
        if (i >= end)
            break;
#endif
        const uint8_t lead = bytes[i];
        ++counts.fUnits;
        const int length = SequenceLength(lead);
        bool whole = length > 1 && i + length <= end;
        for (int k = 1; whole && k < length; ++k)
            whole = IsTail(bytes[i + k]);
        // The overlong forms of "?" (C0 BF, E0 80 BF) decode to "?" as well.
        const bool overlongQuestionMark =
            whole && ((length == 2 && lead == 0xC0 && bytes[i + 1] == 0xBF) ||
                      (length == 3 && lead == 0xE0 && bytes[i + 1] == 0x80 && bytes[i + 2] == 0xBF));
        if (lead == '?' || (lead >= 0x80 && (!whole || length == 4)) || overlongQuestionMark)
            ++counts.fQuestionMarks;
        i += whole ? length : 1;
    }
    return counts;
}

bool MostlyQuestionMarks(QByteArrayView aBytes)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(aBytes.data());
    const qsizetype end = aBytes.size();
    int64_t suspects = 0; // "?" bytes and bytes above 0x7F
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i question = _mm_set1_epi8('?');
    for (; end - i >= 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i));
        suspects += std::popcount(unsigned(_mm_movemask_epi8(v))) +
                    std::popcount(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, question))));
    }
#endif
    for (; i < end; ++i)
        suspects += (bytes[i] >= 0x80 || bytes[i] == '?') ? 1 : 0;
    // At least end / 4 units, at most `suspects` of them "?".
    if (2 * suspects <= end / 4)
        return false;
    const TLenientCounts counts = CountLenientUnits(aBytes);
    return counts.fUnits > 0 && 2 * counts.fQuestionMarks > counts.fUnits;
}

qsizetype CompleteUnitsEnd(QByteArrayView aBytes)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(aBytes.data());
    const qsizetype size = aBytes.size();
    for (qsizetype i = size - 1; i >= 0 && i >= size - 3; --i) {
        if (IsTail(bytes[i]))
            continue;
        return i + SequenceLength(bytes[i]) > size ? i : size;
    }
    return size;
}
