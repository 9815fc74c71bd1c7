// Detection of a document's format from its content, its name only breaking ties.
#pragma once

#include <string>
#include <string_view>

enum class TDocType
{
    dtUnknown,
    dtText,
    dtHtml,
    dtXml,
    dtPdf,
    dtRtf,
    dtDocx,
    dtXlsx,
    dtPptx,
    dtOdf,
    dtEpub,
    dtEncryptedOoxml,
    dtDoc,
    dtXls,
    dtPpt,
    dtMsg,
    dtOlePackage,
    dtEml,
    dtMbox,
    dtZip,
    dtTar,
    dt7z,
    dtGzip,
    dtBzip2,
    dtXz,
    dtRar,
    dtXps,
    dtVsdx,
    dtMobi,
    dtDjvu,
    dtWordPerfect,
};

// Detects the type of aBytes; aName (may be empty) decides between text formats that the content
// alone cannot tell apart (plain text or HTML, XML or plain text, mail or text).
// Runs in the sandboxed child (it opens zip and compound files); never throws.
TDocType DetectDocType(std::string_view aBytes, const std::string &aName);
// A MIME type naming aType, for the log.
const char *DocTypeMime(TDocType aType);
