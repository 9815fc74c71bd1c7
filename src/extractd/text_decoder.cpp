// Character set detection and conversion to UTF-8 (byte-order marks, UTF-16 without a mark,
// UTF-8, legacy 8-bit code pages through uchardet and iconv).
#include "extractd/text_decoder.h"

#include "extractd/ansi_charset.h"

#include <cerrno>
#include <memory>
#include <uchardet.h>

namespace {

const std::string_view Replacement = "\xEF\xBF\xBD";

bool StartsWith(std::string_view aBytes, std::string_view aPrefix)
{
    return aBytes.substr(0, aPrefix.size()) == aPrefix;
}

// "UTF-16LE"/"UTF-16BE" when the zero bytes of aHead sit on one side of the 16-bit units.
std::string Utf16Guess(std::string_view aHead)
{
    std::size_t units = aHead.size() / 2;
    if (units < 2)
        return {};
    std::size_t zeroEven = 0, zeroOdd = 0;
    for (std::size_t i = 0; i + 1 < aHead.size(); i += 2) {
        zeroEven += aHead[i] == 0;
        zeroOdd += aHead[i + 1] == 0;
    }
    if (zeroOdd * 10 >= units * 3 && zeroEven * 20 < units)
        return "UTF-16LE";
    if (zeroEven * 10 >= units * 3 && zeroOdd * 20 < units)
        return "UTF-16BE";
    return {};
}

} // namespace

std::size_t ByteOrderMarkLength(std::string_view aBytes)
{
    if (StartsWith(aBytes, "\xEF\xBB\xBF"))
        return 3;
    if (StartsWith(aBytes, "\xFF\xFE") || StartsWith(aBytes, "\xFE\xFF"))
        return 2;
    return 0;
}

bool IsValidUtf8Prefix(std::string_view aBytes)
{
    std::size_t i = 0, n = aBytes.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(aBytes[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || (len == 2 && c < 0xC2) || (len == 4 && c > 0xF4))
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            if (i + k >= n)
                return true;
            if ((static_cast<unsigned char>(aBytes[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += len;
    }
    return true;
}

std::string DetectCharset(std::string_view aHead, bool aWhole)
{
    if (StartsWith(aHead, "\xEF\xBB\xBF"))
        return "UTF-8";
    if (StartsWith(aHead, "\xFF\xFE"))
        return "UTF-16LE";
    if (StartsWith(aHead, "\xFE\xFF"))
        return "UTF-16BE";
    if (std::string utf16 = Utf16Guess(aHead); !utf16.empty())
        return utf16;
    if (IsValidUtf8Prefix(aHead) && (!aWhole || IsValidUtf8Prefix(std::string(aHead) + "!")))
        return "UTF-8";
    // A guess from a few non-ASCII bytes is a coin toss ("na\xEFve" reads as Windows-1250 as
    // well as Windows-1252): below this much evidence the user's code page decides.
    constexpr std::size_t MinGuessBytes = 16;
    std::size_t high = 0;
    for (char c : aHead)
        high += static_cast<unsigned char>(c) >= 0x80;
    if (high < MinGuessBytes)
        return AnsiCharset();
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(uchardet_new(),
                                                                                      uchardet_delete);
    std::string charset;
    if (detector && uchardet_handle_data(detector.get(), aHead.data(), aHead.size()) == 0) {
        uchardet_data_end(detector.get());
        charset = uchardet_get_charset(detector.get());
    }
    // A legacy text is at least 8-bit; ASCII or UTF-8 guesses are wrong here.
    if (charset.empty() || charset == "ASCII" || charset == "UTF-8")
        return AnsiCharset();
    return charset;
}

bool LooksLikeText(std::string_view aHead)
{
    if (aHead.empty())
        return false;
    if (ByteOrderMarkLength(aHead) > 0 || !Utf16Guess(aHead).empty())
        return true;
    std::size_t control = 0;
    for (char ch : aHead) {
        auto c = static_cast<unsigned char>(ch);
        if (c == 0)
            return false;
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v' && c != 0x1B)
            ++control;
    }
    return control * 100 <= aHead.size() * 2;
}

TUtf8Converter::TUtf8Converter(const std::string &aCharset)
{
    fCd = iconv_open("UTF-8", aCharset.c_str());
    if (fCd == reinterpret_cast<iconv_t>(-1))
        fCd = iconv_open("UTF-8", "WINDOWS-1252");
}

TUtf8Converter::~TUtf8Converter()
{
    if (fCd != reinterpret_cast<iconv_t>(-1))
        iconv_close(fCd);
}

void TUtf8Converter::Feed(std::string_view aBytes, bool aLast, std::string &aOut)
{
    std::string input = std::move(fPending);
    fPending.clear();
    input.append(aBytes);
    if (fCd == reinterpret_cast<iconv_t>(-1)) {
        aOut.append(input);
        return;
    }
    char *in = input.data();
    std::size_t inLeft = input.size();
    char buffer[16384];
    while (inLeft > 0) {
        char *out = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t rc = iconv(fCd, &in, &inLeft, &out, &outLeft);
        int error = errno;
        aOut.append(buffer, static_cast<std::size_t>(out - buffer));
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (error == E2BIG)
            continue;
        if (error == EINVAL && !aLast) {
            fPending.assign(in, inLeft);
            return;
        }
        // An invalid or cut-off sequence: one replacement character, then go on after it.
        aOut.append(Replacement);
        ++in;
        --inLeft;
        iconv(fCd, nullptr, nullptr, nullptr, nullptr);
    }
    if (aLast)
        iconv(fCd, nullptr, nullptr, nullptr, nullptr);
}

void AppendUtf8(std::string &aOut, char32_t aCode)
{
    if (aCode < 0x80) {
        aOut += static_cast<char>(aCode);
    } else if (aCode < 0x800) {
        aOut += static_cast<char>(0xC0 | (aCode >> 6));
        aOut += static_cast<char>(0x80 | (aCode & 0x3F));
    } else if (aCode < 0x10000) {
        aOut += static_cast<char>(0xE0 | (aCode >> 12));
        aOut += static_cast<char>(0x80 | ((aCode >> 6) & 0x3F));
        aOut += static_cast<char>(0x80 | (aCode & 0x3F));
    } else {
        aOut += static_cast<char>(0xF0 | (aCode >> 18));
        aOut += static_cast<char>(0x80 | ((aCode >> 12) & 0x3F));
        aOut += static_cast<char>(0x80 | ((aCode >> 6) & 0x3F));
        aOut += static_cast<char>(0x80 | (aCode & 0x3F));
    }
}

std::string ConvertToUtf8(std::string_view aBytes, const std::string &aCharset)
{
    std::size_t bom = ByteOrderMarkLength(aBytes);
    if ((bom == 3 && aCharset == "UTF-8") || (bom == 2 && aCharset.starts_with("UTF-16")))
        aBytes.remove_prefix(bom);
    std::string out;
    out.reserve(aBytes.size());
    TUtf8Converter converter(aCharset);
    converter.Feed(aBytes, true, out);
    return out;
}
