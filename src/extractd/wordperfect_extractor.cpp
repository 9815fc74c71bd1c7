// WordPerfect documents (4.2 to X-series) through libwpd: the text of the body, headers,
// footers and notes as its text generator writes it; password-protected files need the
// request's password.
#include "extractd/wordperfect_extractor.h"

#include "extractd/extract_error.h"

#include <librevenge-generators/librevenge-generators.h>
#include <librevenge-stream/librevenge-stream.h>
#include <libwpd/libwpd.h>

void TWordPerfectExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    librevenge::RVNGStringStream input(reinterpret_cast<const unsigned char *>(aDocument.Bytes.data()),
                                       static_cast<unsigned>(aDocument.Bytes.size()));
    const libwpd::WPDConfidence confidence = libwpd::WPDocument::isFileFormatSupported(&input);
    if (confidence == libwpd::WPD_CONFIDENCE_NONE)
        ThrowCorrupt("not a readable WordPerfect document");
    if (confidence == libwpd::WPD_CONFIDENCE_UNSUPPORTED_ENCRYPTION)
        ThrowEncrypted("the WordPerfect document is encrypted in a way that cannot be read");
    // The request's password goes only to a protected document: libwpd refuses any other one
    // that it is given a password for.
    const bool protectedDocument = confidence == libwpd::WPD_CONFIDENCE_SUPPORTED_ENCRYPTION;
    const std::string password = protectedDocument ? aContext.Password() : std::string();
    if (protectedDocument && password.empty())
        ThrowEncrypted("the WordPerfect document needs a password");
    librevenge::RVNGString text;
    librevenge::RVNGTextTextGenerator generator(text);
    input.seek(0, librevenge::RVNG_SEEK_SET);
    switch (libwpd::WPDocument::parse(&input, &generator, password.empty() ? nullptr : password.c_str())) {
    case libwpd::WPD_OK:
        break;
    case libwpd::WPD_PASSWORD_MISSMATCH_ERROR:
    case libwpd::WPD_UNSUPPORTED_ENCRYPTION_ERROR:
        ThrowEncrypted("the WordPerfect document needs another password");
    default:
        ThrowCorrupt("the WordPerfect document cannot be read");
    }
    aContext.Sink().Append(std::string_view(text.cstr(), text.size()));
    aContext.Sink().EndLine();
}
