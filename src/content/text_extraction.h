// The searchable text of one file: plain-text files read directly and decoded in the encoding
// they were written in, every other file (RTF among them) through the extraction server.
#pragma once

#include "content/document_failure.h"
#include "content/extraction_service.h"

#include <array>
#include <cstdint>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Extensions of files read directly as text, lower case, in table order. RTF is not among them:
// its markup is no text to search (IsRtfText).
inline constexpr std::array<QStringView, 79> PlainTextExtensions{
    u".txt",     u".log",    u".pas",        u".dpr",      u".dfm",  u".dproj", u".ini",    u".cfg",
    u".conf",    u".config", u".properties", u".xml",      u".xaml", u".xslt",  u".csproj", u".vbproj",
    u".vcxproj", u".proj",   u".json",       u".json5",    u".csv",  u".tsv",   u".htm",    u".html",
    u".xhtml",   u".css",    u".scss",       u".sass",     u".less", u".js",    u".jsx",    u".ts",
    u".tsx",     u".cs",     u".vb",         u".vbs",      u".c",    u".h",     u".hpp",    u".hh",
    u".cpp",     u".cc",     u".cxx",        u".hxx",      u".java", u".kt",    u".kts",    u".groovy",
    u".gradle",  u".sql",    u".md",         u".markdown", u".rst",  u".tex",   u".bat",    u".cmd",
    u".ps1",     u".psm1",   u".psd1",       u".sh",       u".bash", u".zsh",   u".php",    u".phtml",
    u".inc",     u".py",     u".pyw",        u".rb",       u".pl",   u".pm",    u".lua",    u".yml",
    u".yaml",    u".toml",   u".env",        u".sln",      u".mak",  u".make",  u".mk"};

// Bytes of a plain-text file read at most, and the limit callers pass.
inline constexpr int32_t MaxPlainTextBytes = 2097152;
// Bytes the text test looks at.
inline constexpr int32_t TextTestSampleBytes = 8192;

// The extension of a path: the file name from its last "." on, "." included; empty when the
// name has no "." (".env" is its own extension). Pure; any thread.
QString ExtractFileExt(QStringView pPath);

// True when the extension equals an entry of PlainTextExtensions, ignoring the case of A to Z.
bool IsPlainTextExtension(QStringView aExt);

// Where the text of a file comes from, which decides how a text to find matches in it.
enum class TTextOrigin
{
    toPlainText, // read directly
    toDocument,  // from the extraction server
};

// The text of the file at Path. A plain-text file gives the text of at most MaxBytes bytes
// (2097152 when MaxBytes is 0 or less) in the encoding it was written in (DecodePlainText); it
// fails when the file is empty or does not look like text. Any other file, and a plain-text file
// whose bytes are RTF, is sent whole to the extraction server of aSource. Returns true when Text
// is not empty; Text is emptied first and stays empty on failure, and then aFailure (when given)
// says why when the file or its text could not be read (None for an empty or binary file).
// aOrigin (when given) tells where the text came from. Blocks while the server is asked. Any
// thread; never raises.
bool ExtractFileText(const QString &pPath, int32_t aMaxBytes, QString &aText,
                     const TDocumentSource &aSource = {}, TDocumentFailure *aFailure = nullptr,
                     TTextOrigin *aOrigin = nullptr);

// The text of the bytes of a plain-text file (aWhole: all of it; otherwise its first part, and a
// character cut at their end is dropped), without a byte-order mark, in the encoding that
// DecideTextEncoding finds: empty when they do not look like text. Pure but for asking iconv and
// uchardet; may raise std::bad_alloc.
QString DecodePlainText(QByteArrayView aBytes, bool aWhole = true);

// True when the bytes begin as an RTF document does ("{\rtf"). Pure.
bool IsRtfText(QByteArrayView aHead);

// The control-character test over the first Count bytes (clamped to the bytes given): false for
// no bytes or any zero byte, otherwise true when fewer than 30 percent (rounded down) are
// control characters other than tab, line feed and carriage return. Pure.
bool LooksLikeText(QByteArrayView aBytes, int32_t aCount);
