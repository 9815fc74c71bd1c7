// Small documents of every format built in the tests, so that the formats are proven without
// the shared corpus.
#pragma once

#include <string>
#include <utility>
#include <vector>

using TEntries = std::vector<std::pair<std::string, std::string>>;

// An archive holding aEntries: "zip", "tar.gz", "7z".
std::string MakeArchive(const TEntries &aEntries, const std::string &aFormat = "zip");
// A RAR 4 archive holding aEntries, stored without compression.
std::string MakeRar(const TEntries &aEntries);
// A gzip-compressed single file.
std::string MakeGzip(const std::string &aData);
// The data of a gzip-compressed single file ("" when it is not one).
std::string Gunzip(const std::string &aGzip);
// The bytes of tests/extractd/documents/aName, documents written by other programs; a name
// ending in ".gz" is stored compressed and comes back inflated.
std::string WrittenDocument(const std::string &aName);

std::string MakeDocx(const std::string &aBody, const std::string &aHeader, const std::string &aFootnote);
std::string MakeXlsx(const std::string &aSheetName, const std::vector<std::string> &aStrings);
std::string MakePptx(const std::string &aSlide, const std::string &aNotes);
// An Excel 97-2003 workbook written record by record: a shared string cut by a CONTINUE record
// (its second part in UTF-16), a formula with a string result, one with a number, and a note.
std::string MakeXls();
// An XPS document of two pages; the first shows aLine as two glyph runs on one baseline.
std::string MakeXps(const std::string &aFirst, const std::string &aSecond, const std::string &aLine);
// A Visio drawing whose page has a shape with aShapeText and whose master has a placeholder.
std::string MakeVsdx(const std::string &aShapeText);
// A Mobipocket book of aHtml (PalmDOC-compressed in two text records) by aAuthor; with aDrm its
// header says that it is encrypted.
std::string MakeMobi(const std::string &aTitle, const std::string &aAuthor, const std::string &aHtml,
                     bool aDrm = false);
// A WordPerfect 5.1 document of aText (ASCII, lines ended by hard returns).
std::string MakeWordPerfect(const std::string &aText);
std::string MakeOdt(const std::string &aBody, const std::string &aFooter);
std::string MakeEpub(const std::vector<std::string> &aChapters);
// A one-page PDF showing aText (ASCII) in Helvetica.
std::string MakePdf(const std::string &aText);
// A multipart e-mail with a plain part, an HTML part and a text attachment.
std::string MakeEml(const std::string &aPlain, const std::string &aHtml, const std::string &aAttachment);
