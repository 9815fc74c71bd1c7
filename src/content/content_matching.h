// Whether a file contains the text to find: the extracted text first, then, when asked for,
// the raw bytes; and the skip list of formats never inspected.
#pragma once

#include "content/document_failure.h"
#include "content/extraction_service.h"
#include "content/text_matcher.h"
#include "threads/cancellation.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Extensions of media, image, executable, archive, disk-image and similar files, lower case,
// in table order. ".ts" stands here and among the plain-text extensions; this list wins.
inline constexpr std::array<QStringView, 145> SkippedExtensions{
    u".mp4",   u".mkv",   u".avi",  u".mov",    u".wmv",     u".flv",   u".webm",   u".3gp",   u".ts",
    u".m2ts",  u".mts",   u".ogv",  u".vob",    u".mp3",     u".flac",  u".wav",    u".aac",   u".ogg",
    u".wma",   u".m4a",   u".alac", u".opus",   u".amr",     u".aiff",  u".au",     u".ra",    u".jpg",
    u".jpeg",  u".png",   u".gif",  u".bmp",    u".tiff",    u".tif",   u".webp",   u".heic",  u".heif",
    u".raw",   u".cr2",   u".nef",  u".arw",    u".dng",     u".raf",   u".orf",    u".sr2",   u".rw2",
    u".pef",   u".kdc",   u".psd",  u".ai",     u".indd",    u".cdr",   u".ttf",    u".otf",   u".woff",
    u".woff2", u".eot",   u".exe",  u".dll",    u".sys",     u".drv",   u".com",    u".bin",   u".elf",
    u".so",    u".dylib", u".ocx",  u".o",      u".obj",     u".class", u".pyc",    u".pyd",   u".pdb",
    u".lib",   u".a",     u".crx",  u".wasm",   u".blend",   u".3ds",   u".max",    u".mesh",  u".mb",
    u".ma",    u".3dm",   u".3mf",  u".lwo",    u".x3dbin",  u".dwg",   u".prproj", u".veg",   u".flp",
    u".als",   u".ptx",   u".aup3", u".dds",    u".gltfbin", u".ktx",   u".pkm",    u".pvr",   u".iso",
    u".img",   u".vmdk",  u".vdi",  u".vhd",    u".vhdx",    u".qcow2", u".ova",    u".pak",   u".dat",
    u".wad",   u".bfres", u".bnk",  u".uasset", u".umap",    u".pak0",  u".lz",     u".lz4",   u".lzma",
    u".xz",    u".bz2",   u".zip",  u".rar",    u".gz",      u".exr",   u".hdr",    u".sgi",   u".psb",
    u".qbb",   u".qbw",   u".pst",  u".ost",    u".dbf",     u".mdf",   u".mdb",    u".accdb", u".sdf",
    u".ndf",   u".ico",   u".res",  u".bakimg", u".bhv",     u".vfs",   u".trace",  u".etl",   u".dmp",
    u".core"};

// Bytes read per step of the raw search.
inline constexpr int32_t RawSearchChunkBytes = 65536;

// The context of a match is cut to about this many units.
inline constexpr qsizetype MatchContextUnits = 200;

// What a file that holds the text holds besides the answer: how many matches its text has, one
// after the other without overlap, the line of the first one (MatchContext), and for text from the
// extraction server the page that line is on (pages are separated by form feeds; 0: not paged).
struct TMatchSummary
{
    int32_t fMatches = 0;
    QString fContext;
    int32_t fPage = 0;
};

// The option "Search in unrecognized formats" of this run: set by the search control at each
// start, read by FileContainsText to allow the raw byte search. Any thread.
std::atomic<bool> &SearchUnrecognizedFormats();

// True when the file at Path contains Needle: in its text without regard to case, or, when
// SearchUnrecognizedFormats is set and that fails, in its raw bytes (an ASCII needle as UTF-8
// ignoring the case of A to Z, any other as ANSI bytes, exactly). A plain-text file is read whole,
// in chunks, in the encoding it was written in (TPlainTextDecoder: decided on its first
// MaxPlainTextBytes, as for its preview, and again where a later chunk breaks that decision), and
// matched exactly. Any other file, and a plain-text file whose bytes are RTF, gets its text from
// aSource, where a run of white space in Needle matches any run of white space, line breaks
// included. False for an empty needle, on
// every failure, and once aCancel (asked between chunks and while the extraction server is asked)
// is cancelled. When the answer is false because the file or its text could not be read,
// aFailure (when given) says why (also when a cancellation ended the check: callers ask aCancel);
// None otherwise. With match options other than the default, TTextMatcher decides instead, on
// the decoded text (the raw byte search keeps its own rule). When the answer is true and
// aSummary is given, it is filled by the same matcher over the whole text; a file found only in
// its raw bytes leaves it empty. Blocks while the extraction server is asked. Any thread; never
// raises.
bool FileContainsText(const QString &pPath, const QString &aNeedle, const TDocumentSource &aSource = {},
                      const ICancellationIndicator *aCancel = nullptr, TDocumentFailure *aFailure = nullptr,
                      const TMatchOptions &aOptions = {}, TMatchSummary *aSummary = nullptr);

// The line of aText that holds aMatch (from the line break before it to the one after it), on
// one line: line breaks inside the match and other control characters become spaces, white space
// at either end is dropped. A line longer than MatchContextUnits is cut to about that many units
// around the match, "…" marking each cut; a surrogate pair is never split. Pure.
QString MatchContext(QStringView aText, TTextSpan aMatch);

// True when Ext, lower-cased unit by unit, equals an entry of SkippedExtensions. Pure.
bool IsSkippedExtension(QStringView aExt);

// The 1-based position of the first occurrence of Needle in Text, both lower-cased unit by unit;
// 0 when either is empty or there is none. Pure.
int32_t PosIgnoreCase(QStringView aText, QStringView aNeedle);

// True for an empty text and a text whose every unit is 127 or below. Pure.
bool IsAsciiText(QStringView aText);

// The 0-based index of the first occurrence of Needle in Haystack, byte for byte; -1 when
// Needle is empty, longer than Haystack or absent. Pure.
int32_t FindBytes(QByteArrayView aHaystack, QByteArrayView aNeedle);

// True when Needle (already lower case) occurs in Haystack with A to Z of Haystack taken as
// a to z; false when Needle is empty or longer than Haystack. Pure.
bool ContainsBytesIgnoreAsciiCase(QByteArrayView aHaystack, QByteArrayView aNeedle);
