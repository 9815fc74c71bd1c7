// The legacy Windows code page of the user's language, the last resort for decoding a text
// whose character set cannot be told from its bytes.
#include "extractd/ansi_charset.h"

#include <cstdlib>
#include <set>

std::string AnsiCharsetForLocale(std::string_view aLocale)
{
    const std::string_view language = aLocale.substr(0, aLocale.find_first_of("_.@"));
    const std::string_view territory =
        aLocale.find('_') == std::string_view::npos
            ? std::string_view()
            : aLocale.substr(aLocale.find('_') + 1,
                             aLocale.substr(aLocale.find('_') + 1).find_first_of(".@"));
    const bool latinScript = aLocale.find("@latin") != std::string_view::npos;
    const bool cyrillicScript = aLocale.find("@cyrillic") != std::string_view::npos;
    static const std::set<std::string_view> centralEuropean = {"cs", "pl", "sk", "sl", "hu",
                                                               "hr", "ro", "sq", "bs"};
    static const std::set<std::string_view> cyrillic = {"ru", "uk", "be", "bg", "mk",
                                                        "kk", "ky", "tt", "mn", "tg"};
    if (centralEuropean.contains(language) || (language == "sr" && latinScript))
        return "CP1250";
    if (cyrillic.contains(language) || language == "sr" || (language == "uz" && cyrillicScript))
        return "CP1251";
    if (language == "el")
        return "CP1253";
    if (language == "tr" || language == "az" || language == "uz")
        return "CP1254";
    if (language == "he" || language == "yi")
        return "CP1255";
    if (language == "ar" || language == "fa" || language == "ur")
        return "CP1256";
    if (language == "et" || language == "lv" || language == "lt")
        return "CP1257";
    if (language == "th")
        return "CP874";
    if (language == "ja")
        return "CP932";
    if (language == "ko")
        return "CP949";
    if (language == "zh")
        return territory == "TW" || territory == "HK" || territory == "MO" ? "CP950" : "CP936";
    return "CP1252";
}

const std::string &AnsiCharset()
{
    static const std::string charset = [] {
        for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"})
            if (const char *value = std::getenv(name); value != nullptr && *value != '\0')
                return AnsiCharsetForLocale(value);
        return AnsiCharsetForLocale("C");
    }();
    return charset;
}
