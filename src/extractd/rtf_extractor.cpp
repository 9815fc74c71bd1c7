// RTF through our own tokenizer: \uN with its fallback skipped, \'hh in the code page of
// \ansicpg or of the current font's charset, destinations such as fonts and pictures skipped,
// footnotes and comments written after their paragraph.
#include "extractd/rtf_extractor.h"

#include "extractd/extract_error.h"
#include "extractd/text_decoder.h"

#include <cctype>
#include <map>
#include <set>
#include <vector>

namespace {

struct TGroupState
{
    bool Skip = false;
    // Inside a footnote or a comment: its text is written after the paragraph that holds it.
    bool Aside = false;
    bool FontTable = false;
    int Uc = 1;
    std::string Codepage;
};

std::string CodepageOfCharset(int aCharset, const std::string &aDefault)
{
    switch (aCharset) {
    case 77:
        return "MACINTOSH";
    case 128:
        return "CP932";
    case 129:
        return "CP949";
    case 130:
        return "JOHAB";
    case 134:
        return "CP936";
    case 136:
        return "CP950";
    case 161:
        return "CP1253";
    case 162:
        return "CP1254";
    case 163:
        return "CP1258";
    case 177:
        return "CP1255";
    case 178:
        return "CP1256";
    case 186:
        return "CP1257";
    case 204:
        return "CP1251";
    case 222:
        return "CP874";
    case 238:
        return "CP1250";
    default:
        return aDefault;
    }
}

bool IsSkippedDestination(const std::string &aWord)
{
    static const std::set<std::string> skipped = {"colortbl",
                                                  "stylesheet",
                                                  "info",
                                                  "pict",
                                                  "themedata",
                                                  "colorschememapping",
                                                  "datastore",
                                                  "latentstyles",
                                                  "listtable",
                                                  "listoverridetable",
                                                  "rsidtbl",
                                                  "generator",
                                                  "xmlnstbl",
                                                  "fldinst",
                                                  "objdata",
                                                  "bkmkstart",
                                                  "bkmkend",
                                                  "filetbl",
                                                  "revtbl",
                                                  "pgdsctbl",
                                                  "mmathPr",
                                                  "nonshppict",
                                                  "sp",
                                                  "sn",
                                                  "sv",
                                                  "template",
                                                  "userprops",
                                                  "docvar",
                                                  "wgrffmtfilter",
                                                  "fchars",
                                                  "lchars",
                                                  "xe",
                                                  "tc",
                                                  "atnid",
                                                  "atnauthor",
                                                  "atndate",
                                                  "atntime",
                                                  "atnref",
                                                  "atnicn",
                                                  "atnparent",
                                                  "protusertbl",
                                                  "listtext",
                                                  "pntext",
                                                  "pntxta",
                                                  "pntxtb"};
    return skipped.count(aWord) > 0;
}

class TRtfParser
{
public:
    TRtfParser(std::string_view aText, TTextSink &aSink) : fText(aText), fSink(aSink) {}

    void Run()
    {
        std::vector<TGroupState> &stack = fStack;
        TGroupState state;
        state.Codepage = "CP1252";
        while (fPos < fText.size()) {
            char c = fText[fPos++];
            if (c == '{') {
                Flush(state);
                if (stack.size() > 100000)
                    ThrowBomb("RTF groups nested too deep");
                stack.push_back(state);
                fSkipChars = 0;
            } else if (c == '}') {
                Flush(state);
                if (stack.empty())
                    break;
                state = stack.back();
                stack.pop_back();
                fSkipChars = 0;
            } else if (c == '\\') {
                ControlWord(state);
            } else if (c == '\r' || c == '\n') {
                continue;
            } else if (fSkipChars > 0) {
                --fSkipChars;
            } else if (!state.Skip) {
                fBytes += c;
            }
        }
        Flush(state);
        WriteAsides();
    }

private:
    void Emit(const TGroupState &aState, std::string_view aUtf8)
    {
        Flush(aState);
        if (!aState.Skip)
            Write(aState, aUtf8);
    }

    void Write(const TGroupState &aState, std::string_view aUtf8)
    {
        if (aState.Aside)
            fAsides.append(aUtf8);
        else
            fSink.Append(aUtf8);
    }

    // Writes the footnotes and comments of the paragraph that has just ended.
    void WriteAsides()
    {
        if (fAsides.empty())
            return;
        fSink.EndLine();
        fSink.Append(fAsides);
        fSink.EndLine();
        fAsides.clear();
    }

    // Converts the bytes gathered from literal characters and \'hh in the group's code page.
    void Flush(const TGroupState &aState)
    {
        if (fBytes.empty())
            return;
        Write(aState, ConvertToUtf8(fBytes, aState.Codepage));
        fBytes.clear();
    }

    void EmitCodeUnit(const TGroupState &aState, long aUnit)
    {
        unsigned unit = static_cast<unsigned>(aUnit < 0 ? aUnit + 65536 : aUnit) & 0xFFFF;
        if (unit >= 0xD800 && unit < 0xDC00) {
            fHighSurrogate = unit;
            return;
        }
        char32_t code = unit;
        if (unit >= 0xDC00 && unit < 0xE000) {
            if (fHighSurrogate == 0)
                return;
            code = 0x10000 + ((fHighSurrogate - 0xD800) << 10) + (unit - 0xDC00);
        }
        fHighSurrogate = 0;
        std::string utf8;
        AppendUtf8(utf8, code);
        Emit(aState, utf8);
    }

    void ControlWord(TGroupState &aState)
    {
        if (fPos >= fText.size())
            return;
        char c = fText[fPos];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++fPos;
            ControlSymbol(aState, c);
            return;
        }
        std::string word;
        while (fPos < fText.size() && std::isalpha(static_cast<unsigned char>(fText[fPos])) &&
               word.size() < 64)
            word += fText[fPos++];
        bool hasParam = false;
        long param = 0;
        bool negative = fPos < fText.size() && fText[fPos] == '-';
        if (negative)
            ++fPos;
        int digits = 0;
        while (fPos < fText.size() && std::isdigit(static_cast<unsigned char>(fText[fPos]))) {
            if (digits++ < 10)
                param = param * 10 + (fText[fPos] - '0');
            ++fPos;
            hasParam = true;
        }
        if (negative)
            param = -param;
        if (fPos < fText.size() && fText[fPos] == ' ')
            ++fPos;
        Apply(aState, word, hasParam, param);
    }

    void ControlSymbol(TGroupState &aState, char aSymbol)
    {
        switch (aSymbol) {
        case '\'': {
            if (fPos + 2 > fText.size())
                return;
            char hex[3] = {fText[fPos], fText[fPos + 1], 0};
            fPos += 2;
            if (fSkipChars > 0) {
                --fSkipChars;
                return;
            }
            if (!aState.Skip && std::isxdigit(static_cast<unsigned char>(hex[0])) &&
                std::isxdigit(static_cast<unsigned char>(hex[1])))
                fBytes += static_cast<char>(std::strtol(hex, nullptr, 16));
            return;
        }
        case '*':
            aState.Skip = true;
            return;
        case '\\':
        case '{':
        case '}':
            if (!aState.Skip)
                fBytes += aSymbol;
            return;
        case '~':
            Emit(aState, "\xC2\xA0");
            return;
        case '_':
            Emit(aState, "-");
            return;
        case '\n':
        case '\r':
            Emit(aState, "\n");
            return;
        default:
            return;
        }
    }

    void Apply(TGroupState &aState, const std::string &aWord, bool aHasParam, long aParam)
    {
        if (aState.FontTable) {
            if (aWord == "f")
                fCurrentFont = aParam;
            else if (aWord == "fcharset")
                fFontCharsets[fCurrentFont] = static_cast<int>(aParam);
            return;
        }
        if (aWord == "footnote" || aWord == "annotation") {
            // Their text belongs to the document, also when they are marked as destinations
            // that a reader may skip ({\*\footnote ...}).
            Flush(aState);
            aState.Skip = !fStack.empty() && fStack.back().Skip;
            aState.Aside = true;
        } else if (aWord == "fonttbl") {
            aState.FontTable = true;
            aState.Skip = true;
        } else if (IsSkippedDestination(aWord)) {
            aState.Skip = true;
        } else if (aWord == "bin") {
            Flush(aState);
            fPos = std::min(fText.size(), fPos + static_cast<std::size_t>(std::max(0L, aParam)));
        } else if (aWord == "ansicpg" && aHasParam) {
            fDefaultCodepage = "CP" + std::to_string(aParam);
            Flush(aState);
            aState.Codepage = fDefaultCodepage;
        } else if (aWord == "mac" || aWord == "pc" || aWord == "pca") {
            fDefaultCodepage = aWord == "mac" ? "MACINTOSH" : aWord == "pc" ? "CP437" : "CP850";
            aState.Codepage = fDefaultCodepage;
        } else if (aWord == "f" && aHasParam) {
            Flush(aState);
            auto found = fFontCharsets.find(aParam);
            aState.Codepage = found == fFontCharsets.end()
                                  ? fDefaultCodepage
                                  : CodepageOfCharset(found->second, fDefaultCodepage);
        } else if (aWord == "uc" && aHasParam) {
            aState.Uc = static_cast<int>(std::clamp(aParam, 0L, 10L));
        } else if (aWord == "u" && aHasParam) {
            EmitCodeUnit(aState, aParam);
            fSkipChars = aState.Uc;
        } else if (aWord == "par" || aWord == "line" || aWord == "row" || aWord == "sect" ||
                   aWord == "page") {
            Emit(aState, "\n");
            if (!aState.Aside && !aState.Skip && aWord != "line")
                WriteAsides();
        } else if (aWord == "tab" || aWord == "cell") {
            Emit(aState, "\t");
        } else if (aWord == "emdash") {
            Emit(aState, "\xE2\x80\x94");
        } else if (aWord == "endash") {
            Emit(aState, "\xE2\x80\x93");
        } else if (aWord == "bullet") {
            Emit(aState, "\xE2\x80\xA2");
        } else if (aWord == "lquote") {
            Emit(aState, "\xE2\x80\x98");
        } else if (aWord == "rquote") {
            Emit(aState, "\xE2\x80\x99");
        } else if (aWord == "ldblquote") {
            Emit(aState, "\xE2\x80\x9C");
        } else if (aWord == "rdblquote") {
            Emit(aState, "\xE2\x80\x9D");
        } else if (aWord == "emspace" || aWord == "enspace" || aWord == "qmspace") {
            Emit(aState, " ");
        }
    }

    std::string_view fText;
    TTextSink &fSink;
    std::vector<TGroupState> fStack;
    std::string fAsides;
    std::size_t fPos = 0;
    std::string fBytes;
    int fSkipChars = 0;
    unsigned fHighSurrogate = 0;
    std::string fDefaultCodepage = "CP1252";
    std::map<long, int> fFontCharsets;
    long fCurrentFont = 0;
};

} // namespace

void TRtfExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TRtfParser parser(aDocument.Bytes, aContext.Sink());
    parser.Run();
    aContext.Sink().EndLine();
}
