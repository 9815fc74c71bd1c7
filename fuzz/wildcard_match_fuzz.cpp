// Fuzz target: the wildcard matcher with a mask and a name from the input (UTF-16LE units, the
// mask up to the first U+0000, the name after it), checked against the matcher's rule written
// plainly as a table over name and mask positions.
#include "platform/wildcard_match.h"

#include <cstdint>
#include <QChar>
#include <QString>
#include <QtEndian>
#include <vector>

namespace {

// The code points of aText, case-folded; a lone surrogate stays a code point of its own.
std::vector<char32_t> Folded(QStringView aText)
{
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < aText.size(); ++i) {
        char32_t c = aText[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < aText.size() && aText[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), aText[++i].unicode());
        out.push_back(QChar::toCaseFolded(c));
    }
    return out;
}

// Whether all of aName fits the first aMaskEnd code points of aMask: "*" any run, "?" one.
bool Fits(const std::vector<char32_t> &aName, const std::vector<char32_t> &aMask, std::size_t aMaskEnd)
{
    // fits[i]: the first i code points of the name fit the mask read so far.
    std::vector<char> fits(aName.size() + 1, 0);
    fits[0] = 1;
    for (std::size_t j = 0; j < aMaskEnd; ++j) {
        std::vector<char> next(aName.size() + 1, 0);
        for (std::size_t i = 0; i <= aName.size(); ++i) {
            if (aMask[j] == U'*')
                next[i] = fits[i] || (i > 0 && next[i - 1]);
            else if (i > 0)
                next[i] = fits[i - 1] && (aMask[j] == U'?' || aMask[j] == aName[i - 1]);
        }
        fits.swap(next);
    }
    return fits[aName.size()] != 0;
}

// The rule: the whole mask fits, or the mask without its last ".*", and so on for each
// trailing ".*" (a run of "*" counting as one).
bool Reference(QStringView aName, QStringView aMask)
{
    const std::vector<char32_t> name = Folded(aName);
    std::vector<char32_t> mask;
    for (char32_t c : Folded(aMask))
        if (c != U'*' || mask.empty() || mask.back() != U'*')
            mask.push_back(c);
    std::size_t end = mask.size();
    for (;;) {
        if (Fits(name, mask, end))
            return true;
        if (end < 2 || mask[end - 1] != U'*' || mask[end - 2] != U'.')
            return false;
        end -= 2;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *aData, std::size_t aSize)
{
    QString units(qsizetype(aSize / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < units.size(); ++i)
        units[i] = QChar(qFromLittleEndian<char16_t>(aData + 2 * i));
    const qsizetype split = units.indexOf(QChar(0));
    const QStringView mask = QStringView(units).first(split < 0 ? units.size() : split);
    const QStringView name = split < 0 ? QStringView() : QStringView(units).sliced(split + 1);
    if (PathMatchSpec(name, mask) != Reference(name, mask))
        __builtin_trap();
    return 0;
}
