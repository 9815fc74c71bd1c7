// The byte scan for a needle in UTF-8: memchr for the lead bytes of the needle's rarest unit,
// then a forward decode from each start the units before it allow.
#include "content/utf8_text_finder.h"

#include "platform/lower_case.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

bool IsTail(uint8_t aByte)
{
    return (aByte & 0xC0) == 0x80;
}

// The length the scan gives a sequence led by aByte when its continuation bytes are
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

// How often a byte turns up in ordinary text, roughly, from 0 (hardly ever) to 255 (white space):
// English letter frequencies, capitals far rarer than small letters, and the lead bytes of the
// scripts most text is written in. Only the order matters.
constexpr std::array<uint8_t, 256> kByteFrequency = [] {
    std::array<uint8_t, 256> table{};
    constexpr const char *letters = "etaoinshrdlcumwfgypbvkjxqz";
    constexpr uint8_t letterFrequency[26] = {200, 150, 140, 135, 130, 130, 125, 110, 115, 80, 80, 70, 60,
                                             55,  45,  45,  45,  40,  40,  30,  20,  15,  5,  5,  3,  3};
    for (int i = 0; i < 26; ++i) {
        const uint8_t small = uint8_t(letters[i]);
        table[small] = letterFrequency[i];
        table[small - 32] = uint8_t(std::max(1, letterFrequency[i] / 8));
    }
    for (int digit = '0'; digit <= '9'; ++digit)
        table[size_t(digit)] = 30;
    for (const char mark : std::string_view(".,-_\"'/:()=;<>[]{}!?*#&+%@|\\$~^`"))
        table[uint8_t(mark)] = 8;
    table[' '] = 255;
    table['\n'] = 30;
    table['\t'] = 10;
    table['\r'] = 10;
    table['.'] = table[','] = 40;
    table['-'] = table['/'] = table[':'] = table['"'] = table['\''] = 20;
    for (int tail = 0x80; tail < 0xC0; ++tail)
        table[size_t(tail)] = 40;
    for (int lead = 0xC2; lead < 0xF0; ++lead)
        table[size_t(lead)] = 5;
    for (const int common : {0xC3, 0xD0, 0xD1, 0xE2})
        table[size_t(common)] = 30;
    for (int cjk = 0xE3; cjk <= 0xE9; ++cjk)
        table[size_t(cjk)] = 20;
    table[0xCE] = table[0xCF] = table[0xD8] = table[0xD9] = 20;
    return table;
}();

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

// The units of the BMP whose lower case is aLowered.
std::vector<char16_t> FormsOf(char16_t aLowered)
{
    std::vector<char16_t> forms;
    if (LowerCaseUnit(aLowered) == aLowered)
        forms.push_back(aLowered);
    if (aLowered >= u'a' && aLowered <= u'z')
        forms.push_back(char16_t(aLowered - 32));
    const auto &table = UnitsByLowerCase();
    for (auto it = std::lower_bound(table.begin(), table.end(), std::pair<char16_t, char16_t>(aLowered, 0));
         it != table.end() && it->first == aLowered; ++it)
        forms.push_back(it->second);
    return forms;
}

int Utf8Length(char16_t aUnit)
{
    return aUnit < 0x80 ? 1 : aUnit < 0x800 ? 2 : 3;
}

uint8_t LeadByte(char16_t aUnit)
{
    return aUnit < 0x80    ? uint8_t(aUnit)
           : aUnit < 0x800 ? uint8_t(0xC0 | (aUnit >> 6))
                           : uint8_t(0xE0 | (aUnit >> 12));
}

// What the byte scan needs of one unit of the needle: the bytes its forms begin with, their
// shortest and longest UTF-8 lengths, and how often its lead bytes turn up.
struct TUnitForms
{
    std::vector<uint8_t> fLeads;
    int fMinBytes = 3, fMaxBytes = 1;
    int fFrequency = 0;

    explicit TUnitForms(char16_t aLowered)
    {
        for (const char16_t form : FormsOf(aLowered)) {
            const uint8_t lead = LeadByte(form);
            if (std::find(fLeads.begin(), fLeads.end(), lead) == fLeads.end()) {
                fLeads.push_back(lead);
                fFrequency += kByteFrequency[lead];
            }
            fMinBytes = std::min(fMinBytes, Utf8Length(form));
            fMaxBytes = std::max(fMaxBytes, Utf8Length(form));
        }
    }
};

// The positions of a few bytes in a range, in order: one memchr cursor per byte.
class TLeadScan
{
public:
    TLeadScan(const std::vector<uint8_t> &aLeads, const uint8_t *aBytes, qsizetype aFrom, qsizetype aEnd)
        : fBytes(aBytes), fEnd(aEnd)
    {
        for (const uint8_t lead : aLeads)
            fCursors.push_back({lead, Find(lead, aFrom)});
    }
    // The next position holding one of the bytes, or -1 at the end.
    qsizetype Next()
    {
        qsizetype next = -1;
        for (const TCursor &cursor : fCursors)
            if (cursor.fAt >= 0 && (next < 0 || cursor.fAt < next))
                next = cursor.fAt;
        for (TCursor &cursor : fCursors)
            if (cursor.fAt == next && next >= 0)
                cursor.fAt = Find(cursor.fByte, next + 1);
        return next;
    }

private:
    qsizetype Find(uint8_t aByte, qsizetype aFrom) const
    {
        if (aFrom >= fEnd)
            return -1;
        const void *at = std::memchr(fBytes + aFrom, aByte, size_t(fEnd - aFrom));
        return at ? static_cast<const uint8_t *>(at) - fBytes : -1;
    }
    struct TCursor
    {
        uint8_t fByte;
        qsizetype fAt;
    };
    const uint8_t *fBytes;
    qsizetype fEnd;
    std::vector<TCursor> fCursors;
};

} // namespace

TUtf8TextFinder::TUtf8TextFinder(QStringView aNeedle) : fLowered(LowerCasePerUnit(aNeedle))
{
    fUsable = !fLowered.isEmpty() && std::none_of(fLowered.begin(), fLowered.end(), [](QChar aUnit) {
        return aUnit == u'?' || aUnit.isSurrogate();
    });
    if (!fUsable)
        return;
    std::vector<TUnitForms> units;
    for (const QChar unit : fLowered)
        units.emplace_back(unit.unicode());
    for (const uint8_t lead : units.front().fLeads)
        fBeginsFirst[lead] = true;
    // The rarest unit; of equals the first, so that fewer starts are tried around each.
    const auto rare =
        std::min_element(units.begin(), units.end(), [](const TUnitForms &a, const TUnitForms &b) {
            return a.fFrequency < b.fFrequency;
        });
    fRareLeads = rare->fLeads;
    for (auto unit = units.begin(); unit != rare; ++unit) {
        fMinBefore += unit->fMinBytes;
        fMaxBefore += unit->fMaxBytes;
    }
}

TUtf8TextFinder::TVerdict TUtf8TextFinder::MatchAt(const uint8_t *aBytes, qsizetype aPos, qsizetype aEnd,
                                                   bool aAtEnd) const
{
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
            if (at + length > aEnd)
                return cutShort;
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
    // A match not found here starts where a try needed more bytes, or so close to the end that
    // its rare unit lies beyond it.
    qsizetype carry = std::max<qsizetype>(end - fMaxBefore, 0);
    qsizetype untried = 0; // starts before this were tried
    TLeadScan scan(fRareLeads, bytes, std::min(fMinBefore, end), end);
    for (qsizetype rare = scan.Next(); rare >= 0; rare = scan.Next()) {
        for (qsizetype start = std::max(rare - fMaxBefore, untried); start <= rare - fMinBefore; ++start) {
            if (!fBeginsFirst[bytes[start]])
                continue;
            switch (MatchAt(bytes, start, end, aAtEnd)) {
            case TVerdict::Match:
                return true;
            case TVerdict::NeedMore:
                carry = std::min(carry, start);
                break;
            case TVerdict::Mismatch:
                break;
            }
        }
        untried = std::max(untried, rare - fMinBefore + 1);
    }
    while (carry > 0 && carry < end && IsTail(bytes[carry]))
        --carry;
    aCarryFrom = carry;
    return false;
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
