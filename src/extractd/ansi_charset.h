// The legacy Windows code page of the user's language, the last resort for decoding a text
// whose character set cannot be told from its bytes.
#pragma once

#include <string>
#include <string_view>

// The iconv name of the code page for the locale name aLocale ("cs_CZ.UTF-8", "sr_RS@latin",
// "C"): CP1250 Central European, CP1251 Cyrillic, CP1253 Greek, CP1254 Turkish, CP1255 Hebrew,
// CP1256 Arabic, CP1257 Baltic, CP874 Thai, CP932/CP936/CP949/CP950 East Asian, else CP1252.
std::string AnsiCharsetForLocale(std::string_view aLocale);
// The code page of this process's locale (LC_ALL, then LC_CTYPE, then LANG). Thread-safe.
const std::string &AnsiCharset();
