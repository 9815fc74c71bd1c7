// Joining words hyphenated at a line end: which line ends are hyphenations, and the joint itself.
#include "extractd/line_end_hyphens.h"

#include <glib.h>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view kHyphenMinus = "-";
constexpr std::string_view kHyphen = "\xE2\x80\x90"; // U+2010
constexpr std::string_view kSoftHyphen = "\xC2\xAD"; // U+00AD

bool IsBlank(char aByte)
{
    return aByte == ' ' || aByte == '\t';
}

std::string_view TrimBlanks(std::string_view aText)
{
    while (!aText.empty() && IsBlank(aText.front()))
        aText.remove_prefix(1);
    while (!aText.empty() && IsBlank(aText.back()))
        aText.remove_suffix(1);
    return aText;
}

// The code point at the front of aText and its byte count; a malformed byte reads as U+FFFD.
std::pair<gunichar, size_t> FirstCodePoint(std::string_view aText)
{
    const gunichar c = g_utf8_get_char_validated(aText.data(), gssize(aText.size()));
    if (c == gunichar(-1) || c == gunichar(-2))
        return {0xFFFD, 1};
    return {c, size_t(g_utf8_skip[static_cast<unsigned char>(aText.front())])};
}

// The code point at the back of aText and its byte count, as FirstCodePoint reads it.
std::pair<gunichar, size_t> LastCodePoint(std::string_view aText)
{
    size_t start = aText.size() - 1;
    while (start > 0 && aText.size() - start < 4 && (static_cast<unsigned char>(aText[start]) & 0xC0) == 0x80)
        --start;
    const auto [c, bytes] = FirstCodePoint(aText.substr(start));
    if (start + bytes != aText.size())
        return {0xFFFD, 1};
    return {c, bytes};
}

// True when aWord, without the punctuation and symbols at its outer ends, is letters only.
bool IsLettersOnly(std::string_view aWord)
{
    while (!aWord.empty() && !g_unichar_isalnum(FirstCodePoint(aWord).first))
        aWord.remove_prefix(FirstCodePoint(aWord).second);
    while (!aWord.empty() && !g_unichar_isalnum(LastCodePoint(aWord).first))
        aWord.remove_suffix(LastCodePoint(aWord).second);
    if (aWord.empty())
        return false;
    for (; !aWord.empty(); aWord.remove_prefix(FirstCodePoint(aWord).second)) {
        if (!g_unichar_isalpha(FirstCodePoint(aWord).first))
            return false;
    }
    return true;
}

// How a line ending in a hyphenation joins the next line's first word.
struct THyphenJoin
{
    size_t HyphenBytes = 0; // the hyphen's bytes at the end of the (blank-trimmed) line
    bool KeepHyphen = false;
};

std::optional<THyphenJoin> HyphenJoinOf(std::string_view aLine, std::string_view aWord)
{
    if (aWord.empty())
        return std::nullopt;
    if (aLine.ends_with(kSoftHyphen))
        return THyphenJoin{kSoftHyphen.size(), false};
    const size_t hyphen = aLine.ends_with(kHyphenMinus) ? kHyphenMinus.size()
                          : aLine.ends_with(kHyphen)    ? kHyphen.size()
                                                        : 0;
    if (hyphen == 0 || aLine.size() == hyphen)
        return std::nullopt;
    const std::string_view before = aLine.substr(0, aLine.size() - hyphen);
    if (!g_unichar_isalpha(LastCodePoint(before).first) || !g_unichar_islower(FirstCodePoint(aWord).first))
        return std::nullopt;
    const size_t blank = before.find_last_of(" \t");
    const std::string_view firstHalf = blank == std::string_view::npos ? before : before.substr(blank + 1);
    return THyphenJoin{hyphen, !IsLettersOnly(firstHalf) || !IsLettersOnly(aWord)};
}

} // namespace

std::string JoinLineEndHyphens(std::string_view aPageText)
{
    std::vector<std::string_view> lines;
    for (size_t start = 0;;) {
        const size_t end = aPageText.find('\n', start);
        lines.push_back(aPageText.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    std::string result;
    result.reserve(aPageText.size());
    // The line being built: a line of the page, or one that has taken the next line's first word.
    std::string pending(lines.front());
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view next = TrimBlanks(lines[i]);
        const std::string_view word = next.substr(0, next.find_first_of(" \t"));
        const std::string_view line = TrimBlanks(pending);
        const std::optional<THyphenJoin> join = HyphenJoinOf(line, word);
        if (!join) {
            if (line.ends_with(kSoftHyphen))
                pending.resize(size_t(line.data() - pending.data()) + line.size() - kSoftHyphen.size());
            result += pending;
            result += '\n';
            pending = lines[i];
            continue;
        }
        pending.resize(size_t(line.data() - pending.data()) + line.size() -
                       (join->KeepHyphen ? 0 : join->HyphenBytes));
        pending += word;
        const std::string_view rest = TrimBlanks(next.substr(word.size()));
        if (!rest.empty()) {
            result += pending;
            result += '\n';
            pending = rest;
        }
    }
    const std::string_view last = TrimBlanks(pending);
    if (last.ends_with(kSoftHyphen))
        pending.resize(size_t(last.data() - pending.data()) + last.size() - kSoftHyphen.size());
    result += pending;
    return result;
}
