// The language choice: the system's user-interface language and the stored "CurrentLanguage"
// value (the per-user registry key, an INI file under the XDG config folder on this system).
#pragma once

#include <optional>
#include <QString>

// The program's code for a locale name such as "de_DE.UTF-8", "pt-BR" or "zh-Hans-CN": "ar",
// "cn", "cs", "de", "el", "es", "fr", "hu", "it", "jp", "kr", "nl", "pl", "pt", "tr", otherwise
// "en". Any thread.
QString LanguageCodeForLocale(const QString &aLocaleName);

// The code of the system's user-interface language: the first of Qt's ui languages (LANGUAGE,
// LC_ALL, LC_MESSAGES, LANG) mapped by LanguageCodeForLocale. Never fails; "en" by default.
QString DetectSystemLanguage();

// The stored "CurrentLanguage" value when the settings file and a string value exist in it;
// nothing otherwise (a value of another type is ignored). Creates nothing. Never fails.
std::optional<QString> ReadStoredLanguage();

// Stores CurrentLanguageCode as "CurrentLanguage", creating the folder and file when missing.
// When the folder can be neither found nor created nothing is written and nothing is reported;
// when writing the file fails it throws std::runtime_error, which ends the caller's menu action.
// UI thread.
void SaveCurrentLanguage();
