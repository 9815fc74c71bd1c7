// Detection of a document's format from its content, its name only breaking ties.
#include "extractd/doc_type.h"

#include "extractd/extract_limits.h"
#include "extractd/ole_file.h"
#include "extractd/text_decoder.h"
#include "extractd/zip_package.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

bool StartsWith(std::string_view aBytes, std::string_view aPrefix)
{
    return aBytes.substr(0, aPrefix.size()) == aPrefix;
}

std::string Lower(std::string_view aText)
{
    std::string out(aText);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string Extension(const std::string &aName)
{
    std::size_t slash = aName.find_last_of('/');
    std::size_t dot = aName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return Lower(aName.substr(dot));
}

TDocType DetectZip(std::string_view aBytes)
{
    try {
        TZipPackage zip(
            aBytes,
            [](const std::string &aName) { return aName == "mimetype" || aName == "[Content_Types].xml"; },
            4 * 1024 * 1024);
        if (const auto *mimetype = zip.Find("mimetype")) {
            if (StartsWith(mimetype->Data, "application/epub+zip"))
                return TDocType::dtEpub;
            if (StartsWith(mimetype->Data, "application/vnd.oasis.opendocument."))
                return TDocType::dtOdf;
        }
        if (const auto *types = zip.Find("[Content_Types].xml")) {
            // The content type of the main part names the application.
            std::string text = Lower(types->Data);
            std::size_t pos = 0;
            while ((pos = text.find(".main+xml", pos)) != std::string::npos) {
                std::size_t quote = text.rfind('"', pos);
                std::string type = text.substr(quote == std::string::npos ? 0 : quote, pos - quote);
                pos += 9;
                if (type.find("wordprocessingml") != std::string::npos ||
                    type.find("ms-word") != std::string::npos)
                    return TDocType::dtDocx;
                if (type.find("spreadsheetml") != std::string::npos ||
                    type.find("ms-excel") != std::string::npos)
                    return TDocType::dtXlsx;
                if (type.find("presentationml") != std::string::npos ||
                    type.find("ms-powerpoint") != std::string::npos)
                    return TDocType::dtPptx;
                if (type.find("ms-visio.drawing") != std::string::npos)
                    return TDocType::dtVsdx;
            }
            if (text.find("xps-fixeddocumentsequence+xml") != std::string::npos ||
                text.find("ms-xpsdocument.fixeddocumentsequence") != std::string::npos)
                return TDocType::dtXps;
        }
    } catch (...) {
        // A zip whose central parts cannot be read is still a zip to the archive extractor.
    }
    return TDocType::dtZip;
}

TDocType DetectOle(std::string_view aBytes)
{
    try {
        TOleFile ole(aBytes);
        std::vector<std::string> names = ole.Children();
        auto has = [&](std::string_view aName) {
            return std::find(names.begin(), names.end(), aName) != names.end();
        };
        if (has("EncryptedPackage") && has("EncryptionInfo"))
            return TDocType::dtEncryptedOoxml;
        if (has("WordDocument"))
            return TDocType::dtDoc;
        if (has("Workbook") || has("Book"))
            return TDocType::dtXls;
        if (has("PowerPoint Document"))
            return TDocType::dtPpt;
        for (const std::string &name : names)
            if (name.starts_with("__substg1.0_") || name.starts_with("__properties_version1.0"))
                return TDocType::dtMsg;
        if (has("\x01Ole10Native") || has("Package") || has("CONTENTS"))
            return TDocType::dtOlePackage;
    } catch (...) {
    }
    return TDocType::dtUnknown;
}

// True when the start of aText (lower case) reads like the header block of an e-mail.
bool LooksLikeMail(std::string_view aText)
{
    static const char *const known[] = {
        "from:",     "to:",          "subject:",      "date:",         "message-id:", "mime-version:",
        "received:", "return-path:", "content-type:", "delivered-to:", "x-mailer:",   "cc:"};
    int hits = 0, lines = 0;
    std::size_t pos = 0;
    while (pos < aText.size() && lines < 40) {
        std::size_t end = aText.find('\n', pos);
        std::string_view line = aText.substr(pos, end == std::string_view::npos ? end : end - pos);
        if (line.empty() || line == "\r")
            break;
        ++lines;
        if (line.front() != ' ' && line.front() != '\t') {
            std::size_t colon = line.find(':');
            if (colon == std::string_view::npos || colon == 0)
                return false;
            for (char c : line.substr(0, colon))
                if (c <= ' ' || c > '~')
                    return false;
            for (const char *name : known)
                if (StartsWith(line, name))
                    ++hits;
        }
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
    return hits >= 2;
}

TDocType DetectText(std::string_view aHead, bool aWhole, const std::string &aExtension)
{
    std::string text = Lower(ConvertToUtf8(aHead, DetectCharset(aHead, aWhole)));
    std::string_view body = text;
    if (StartsWith(body, "\xEF\xBB\xBF"))
        body.remove_prefix(3);
    while (!body.empty() && std::isspace(static_cast<unsigned char>(body.front())))
        body.remove_prefix(1);
    const bool htmlName = aExtension == ".html" || aExtension == ".htm" || aExtension == ".xhtml";
    if (StartsWith(body, "<!doctype html") || StartsWith(body, "<html") ||
        (htmlName && StartsWith(body, "<")))
        return TDocType::dtHtml;
    if (StartsWith(body, "<?xml")) {
        if (body.find("<html") != std::string_view::npos || htmlName)
            return TDocType::dtHtml;
        return TDocType::dtXml;
    }
    if (StartsWith(body, "<") &&
        (body.find("<head") != std::string_view::npos || body.find("<body") != std::string_view::npos))
        return TDocType::dtHtml;
    if (aExtension == ".xml" && StartsWith(body, "<"))
        return TDocType::dtXml;
    // A mail folder: a "From " separator line, then the header of the first message.
    if (StartsWith(body, "from ") && body.find('\n') != std::string_view::npos &&
        LooksLikeMail(body.substr(body.find('\n') + 1)))
        return TDocType::dtMbox;
    if (LooksLikeMail(body) || (aExtension == ".eml" && body.find(':') != std::string_view::npos))
        return TDocType::dtEml;
    return TDocType::dtText;
}

} // namespace

TDocType DetectDocType(std::string_view aBytes, const std::string &aName)
{
    std::string_view head = aBytes.substr(0, 8192);
    std::string extension = Extension(aName);
    if (head.substr(0, 1024).find("%PDF-") != std::string_view::npos)
        return TDocType::dtPdf;
    if (StartsWith(head, "{\\rtf"))
        return TDocType::dtRtf;
    if (StartsWith(head, "PK\x03\x04") || StartsWith(head, std::string_view("PK\x05\x06", 4)))
        return DetectZip(aBytes);
    if (StartsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return DetectOle(aBytes);
    if (StartsWith(head, "7z\xBC\xAF\x27\x1C"))
        return TDocType::dt7z;
    if (StartsWith(head, "Rar!\x1A\x07"))
        return TDocType::dtRar;
    if (StartsWith(head, "AT&TFORM") && (head.substr(12, 4) == "DJVU" || head.substr(12, 4) == "DJVM"))
        return TDocType::dtDjvu;
    if (StartsWith(head, "\xFFWPC"))
        return TDocType::dtWordPerfect;
    if (head.size() >= 78 && (head.substr(60, 8) == "BOOKMOBI" || head.substr(60, 8) == "TEXtREAd"))
        return TDocType::dtMobi;
    if (StartsWith(head, "\x1F\x8B"))
        return TDocType::dtGzip;
    if (StartsWith(head, "BZh") && head.size() > 3 && head[3] >= '1' && head[3] <= '9')
        return TDocType::dtBzip2;
    if (StartsWith(head, std::string_view("\xFD"
                                          "7zXZ\0",
                                          6)))
        return TDocType::dtXz;
    if (head.size() >= 262 && head.substr(257, 5) == "ustar")
        return TDocType::dtTar;
    if (LooksLikeText(head))
        return DetectText(head, head.size() == aBytes.size(), extension);
    return TDocType::dtUnknown;
}

const char *DocTypeMime(TDocType aType)
{
    switch (aType) {
    case TDocType::dtUnknown:
        return "application/octet-stream";
    case TDocType::dtText:
        return "text/plain";
    case TDocType::dtHtml:
        return "text/html";
    case TDocType::dtXml:
        return "application/xml";
    case TDocType::dtPdf:
        return "application/pdf";
    case TDocType::dtRtf:
        return "application/rtf";
    case TDocType::dtDocx:
        return "application/vnd.openxmlformats-officedocument.wordprocessingml.document";
    case TDocType::dtXlsx:
        return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    case TDocType::dtPptx:
        return "application/vnd.openxmlformats-officedocument.presentationml.presentation";
    case TDocType::dtOdf:
        return "application/vnd.oasis.opendocument";
    case TDocType::dtEpub:
        return "application/epub+zip";
    case TDocType::dtEncryptedOoxml:
        return "application/x-ooxml-encrypted";
    case TDocType::dtDoc:
        return "application/msword";
    case TDocType::dtXls:
        return "application/vnd.ms-excel";
    case TDocType::dtPpt:
        return "application/vnd.ms-powerpoint";
    case TDocType::dtMsg:
        return "application/vnd.ms-outlook";
    case TDocType::dtOlePackage:
        return "application/x-ole-object";
    case TDocType::dtEml:
        return "message/rfc822";
    case TDocType::dtMbox:
        return "application/mbox";
    case TDocType::dtZip:
        return "application/zip";
    case TDocType::dtTar:
        return "application/x-tar";
    case TDocType::dt7z:
        return "application/x-7z-compressed";
    case TDocType::dtGzip:
        return "application/gzip";
    case TDocType::dtBzip2:
        return "application/x-bzip2";
    case TDocType::dtXz:
        return "application/x-xz";
    case TDocType::dtRar:
        return "application/vnd.rar";
    case TDocType::dtXps:
        return "application/vnd.ms-xpsdocument";
    case TDocType::dtVsdx:
        return "application/vnd.ms-visio.drawing";
    case TDocType::dtMobi:
        return "application/x-mobipocket-ebook";
    case TDocType::dtDjvu:
        return "image/vnd.djvu";
    case TDocType::dtWordPerfect:
        return "application/vnd.wordperfect";
    }
    return "application/octet-stream";
}
