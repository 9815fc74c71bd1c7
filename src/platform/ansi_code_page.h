// The "ANSI" code page: the legacy Windows code page of the user's language, used for text files
// that are not UTF-8 and for raw byte searches of non-ASCII text. Conversions go through iconv.
#pragma once

#include <cstdint>
#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>

// The Windows code page number of a locale's language: 1250 Central European, 1251 Cyrillic,
// 1253 Greek, 1254 Turkish, 1255 Hebrew, 1256 Arabic, 1257 Baltic, 874 Thai, 932 Japanese,
// 936 simplified Chinese, 949 Korean, 950 traditional Chinese, otherwise 1252. Pure; any thread.
uint32_t AnsiCodePageForLocale(const QLocale &aLocale);

// The code page of the system locale, decided once per run. Any thread.
uint32_t GetAnsiCodePage();

// Decodes bytes of the given code page. A byte (or byte sequence) the code page does not define
// becomes U+FFFD. Never raises; an unknown code page gives the bytes as Latin-1.
QString AnsiToText(QByteArrayView aBytes, uint32_t aCodePage = GetAnsiCodePage());

// Encodes text in the given code page. Every character the code page lacks (lone surrogates
// included) becomes "?". Never raises; an unknown code page gives "?" for every non-ASCII unit.
QByteArray TextToAnsi(QStringView aText, uint32_t aCodePage = GetAnsiCodePage());

// Encodes text as UTF-8; a lone surrogate becomes the encoding of U+FFFD.
QByteArray TextToUtf8(QStringView aText);
