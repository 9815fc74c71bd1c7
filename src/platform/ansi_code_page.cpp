// Code page choice from the locale's language and iconv-based conversions.
#include "platform/ansi_code_page.h"

#include "platform/charset_decoder.h"

#include <algorithm>
#include <cerrno>

uint32_t AnsiCodePageForLocale(const QLocale &aLocale)
{
    switch (aLocale.language()) {
    case QLocale::Czech:
    case QLocale::Polish:
    case QLocale::Slovak:
    case QLocale::Slovenian:
    case QLocale::Hungarian:
    case QLocale::Croatian:
    case QLocale::Romanian:
    case QLocale::Albanian:
    case QLocale::Bosnian:
        return 1250;
    case QLocale::Serbian:
        return aLocale.script() == QLocale::LatinScript ? 1250 : 1251;
    case QLocale::Russian:
    case QLocale::Ukrainian:
    case QLocale::Belarusian:
    case QLocale::Bulgarian:
    case QLocale::Macedonian:
    case QLocale::Kazakh:
    case QLocale::Kyrgyz:
    case QLocale::Tatar:
    case QLocale::Mongolian:
    case QLocale::Tajik:
        return 1251;
    case QLocale::Greek:
        return 1253;
    case QLocale::Turkish:
    case QLocale::Azerbaijani:
    case QLocale::Uzbek:
        return aLocale.script() == QLocale::CyrillicScript ? 1251 : 1254;
    case QLocale::Hebrew:
    case QLocale::Yiddish:
        return 1255;
    case QLocale::Arabic:
    case QLocale::Persian:
    case QLocale::Urdu:
        return 1256;
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian:
        return 1257;
    case QLocale::Thai:
        return 874;
    case QLocale::Japanese:
        return 932;
    case QLocale::Korean:
        return 949;
    case QLocale::Chinese:
        return aLocale.script() == QLocale::TraditionalChineseScript ? 950 : 936;
    default:
        return 1252;
    }
}

uint32_t GetAnsiCodePage()
{
    static const uint32_t codePage = AnsiCodePageForLocale(QLocale::system());
    return codePage;
}

namespace {

QByteArray IconvName(uint32_t aCodePage)
{
    return "CP" + QByteArray::number(aCodePage);
}

} // namespace

QString AnsiToText(QByteArrayView aBytes, uint32_t aCodePage)
{
    if (aBytes.isEmpty())
        return {};
    TCharsetDecoder decoder(IconvName(aCodePage));
    QString text;
    qsizetype consumed = 0;
    decoder.Decode(aBytes, true, text, consumed);
    return text;
}

QByteArray TextToAnsi(QStringView aText, uint32_t aCodePage)
{
    if (aText.isEmpty())
        return {};
    TIconv converter(IconvName(aCodePage), "UTF-16LE");
    QByteArray out;
    if (!converter.IsValid()) {
        out.reserve(aText.size());
        for (QChar unit : aText)
            out.append(unit.unicode() < 0x80 ? char(unit.unicode()) : '?');
        return out;
    }
    // No code page needs more than four bytes for one UTF-16 unit.
    out.resize(aText.size() * 4);
    const char *in = reinterpret_cast<const char *>(aText.utf16());
    size_t inLeft = size_t(aText.size()) * sizeof(char16_t);
    char *outPos = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0 && !converter.Convert(in, inLeft, outPos, outLeft)) {
        if ((errno != EILSEQ && errno != EINVAL) || outLeft == 0)
            break;
        *outPos++ = '?';
        --outLeft;
        // A character outside the basic plane is one "?" for its two units.
        const auto *unit = reinterpret_cast<const char16_t *>(in);
        const size_t skip =
            (inLeft >= 4 && QChar::isHighSurrogate(unit[0]) && QChar::isLowSurrogate(unit[1])) ? 4 : 2;
        in += std::min(skip, inLeft);
        inLeft -= std::min(skip, inLeft);
    }
    out.resize(outPos - out.data());
    return out;
}

QByteArray TextToUtf8(QStringView aText)
{
    return aText.toUtf8();
}
