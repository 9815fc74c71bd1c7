// Wildcard matching as a bit-parallel simulation of the mask's automaton: one bit per mask
// position, all positions advanced together per name character, so hostile masks cannot cause
// exponential backtracking.
#include "platform/wildcard_match.h"

#include <algorithm>
#include <cstdint>
#include <QChar>
#include <QVarLengthArray>
#include <utility>

namespace {

constexpr char32_t cAnyRun = U'*';
constexpr char32_t cAnyOne = U'?';

// Inline capacities cover ordinary names and masks, so that a match needs no heap memory.
using TBitRow = QVarLengthArray<uint64_t, 4>;
using TCodePoints = QVarLengthArray<char32_t, 256>;

TBitRow ZeroRow(size_t pWords)
{
    TBitRow row(qsizetype(pWords), 0);
    return row;
}

// The text's code points, case-folded. An unpaired surrogate stays a code point of its own.
TCodePoints FoldedCodePoints(QStringView pText)
{
    TCodePoints result;
    result.reserve(pText.size());
    for (qsizetype i = 0; i < pText.size(); ++i) {
        char32_t c = pText[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < pText.size() && pText[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), pText[i + 1].unicode());
            ++i;
        }
        result.push_back(QChar::toCaseFolded(c));
    }
    return result;
}

void SetBit(uint64_t *aRow, size_t pIndex)
{
    aRow[pIndex / 64] |= uint64_t(1) << (pIndex % 64);
}

// aTarget |= (pSource & pMask) << 1, word by word with carry. pSource may be aTarget itself:
// each word is read before it is written.
void OrShiftedAnd(TBitRow &aTarget, const TBitRow &pSource, const TBitRow &pMask)
{
    uint64_t carry = 0;
    for (qsizetype w = 0; w < aTarget.size(); ++w) {
        const uint64_t bits = pSource[w] & pMask[w];
        aTarget[w] |= (bits << 1) | carry;
        carry = bits >> 63;
    }
}

} // namespace

bool PathMatchSpec(QStringView pName, QStringView pMask)
{
    const TCodePoints name = FoldedCodePoints(pName);
    TCodePoints mask = FoldedCodePoints(pMask);

    // A run of "*" means the same as one "*"; collapsing them lets one closure step suffice.
    mask.erase(std::unique(mask.begin(), mask.end(),
                           [](char32_t a, char32_t b) { return a == cAnyRun && b == cAnyRun; }),
               mask.end());
    const size_t m = mask.size();

    // The mask may end after its core: each trailing ".*" can be left out.
    size_t coreEnd = m;
    while (coreEnd >= 2 && mask[coreEnd - 1] == cAnyRun && mask[coreEnd - 2] == U'.')
        coreEnd -= 2;
    // Every character of the core other than "*" takes exactly one character of the name.
    const size_t needed = size_t(std::count_if(mask.begin(), mask.begin() + ptrdiff_t(coreEnd),
                                               [](char32_t c) { return c != cAnyRun; }));
    if (needed > size_t(name.size()))
        return false;

    // State i (bit i) means: the name read so far fits the first i characters of the mask.
    const size_t words = (m + 1 + 63) / 64;
    TBitRow anyRun = ZeroRow(words), anyOne = ZeroRow(words), accept = ZeroRow(words);
    TBitRow state = ZeroRow(words), next = ZeroRow(words), fits = ZeroRow(words);
    QVarLengthArray<std::pair<char32_t, uint32_t>, 64> literals; // (character, position), sorted
    for (size_t i = 0; i < m; ++i) {
        if (mask[i] == cAnyRun)
            SetBit(anyRun.data(), i);
        else if (mask[i] == cAnyOne)
            SetBit(anyOne.data(), i);
        else
            literals.emplace_back(mask[i], uint32_t(i));
    }
    std::sort(literals.begin(), literals.end());

    // The whole mask is accepted, and so is the mask without each trailing ".*" in turn.
    for (size_t end = coreEnd; end <= m; end += 2)
        SetBit(accept.data(), end);

    // Bit rows of the mask positions holding one literal character, built when the name first
    // uses that character; one row per character found in both name and mask, kept one after
    // the other in rowWords.
    QVarLengthArray<uint64_t, 16> rowWords;
    QVarLengthArray<qsizetype, 64> rowOfLiteral(literals.size(), -1);
    // The start of pChar's row in rowWords, or -1 when the mask has no such literal.
    auto literalRow = [&](char32_t pChar) -> qsizetype {
        auto first = std::lower_bound(literals.begin(), literals.end(), std::make_pair(pChar, uint32_t(0)));
        if (first == literals.end() || first->first != pChar)
            return -1;
        const qsizetype index = first - literals.begin();
        if (rowOfLiteral[index] < 0) {
            rowOfLiteral[index] = rowWords.size();
            rowWords.resize(rowWords.size() + qsizetype(words), 0);
            for (auto it = first; it != literals.end() && it->first == pChar; ++it)
                SetBit(rowWords.data() + rowOfLiteral[index], it->second);
        }
        return rowOfLiteral[index];
    };

    state[0] = 1;
    OrShiftedAnd(state, state, anyRun); // "*" may stand for nothing
    for (const char32_t c : name) {
        const qsizetype row = literalRow(c);
        bool alive = false;
        for (size_t w = 0; w < words; ++w) {
            fits[w] = anyOne[w] | (row >= 0 ? rowWords[row + qsizetype(w)] : 0);
            next[w] = state[w] & anyRun[w]; // "*" takes this character and stays
        }
        OrShiftedAnd(next, state, fits);  // a fitting mask character advances
        OrShiftedAnd(next, next, anyRun); // and a "*" reached may stand for nothing
        for (size_t w = 0; w < words; ++w)
            alive = alive || next[w] != 0;
        if (!alive)
            return false;
        std::copy(next.begin(), next.end(), state.begin());
    }
    for (size_t w = 0; w < words; ++w)
        if (state[w] & accept[w])
            return true;
    return false;
}
