// PDF documents through poppler-cpp, page by page in reading order, with the request's password;
// words hyphenated at a line end are joined again.
#include "extractd/pdf_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/extract_error.h"
#include "extractd/line_end_hyphens.h"

#include <climits>
#include <memory>
#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

namespace {

void IgnorePopplerMessage(const std::string &, void *) {}

std::string Utf8(const poppler::ustring &aText)
{
    poppler::byte_array utf8 = aText.to_utf8();
    std::string text(utf8.data(), utf8.size());
    return text.substr(0, text.find('\0'));
}

// The information dictionary first, the XMP packet for what it lacks.
TDocumentProperties PdfProperties(const poppler::document &aDoc)
{
    TDocumentProperties properties;
    properties.Title = Utf8(aDoc.info_key("Title"));
    properties.Subject = Utf8(aDoc.info_key("Subject"));
    properties.Keywords = Utf8(aDoc.info_key("Keywords"));
    properties.Author = Utf8(aDoc.info_key("Author"));
    std::string xmp = Utf8(aDoc.metadata());
    if (!xmp.empty())
        properties.Complete(ReadXmlProperties(xmp));
    return properties;
}

} // namespace

void TPdfExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    poppler::set_debug_error_function(IgnorePopplerMessage, nullptr);
    if (aDocument.Bytes.size() > static_cast<std::size_t>(INT_MAX))
        ThrowBomb("PDF too large");
    const std::string &password = aContext.Password();
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_raw_data(
        aDocument.Bytes.data(), static_cast<int>(aDocument.Bytes.size()), password, password));
    if (!doc) {
        // poppler tells a wrong password apart from a broken file only by trying without it.
        std::unique_ptr<poppler::document> probe(poppler::document::load_from_raw_data(
            aDocument.Bytes.data(), static_cast<int>(aDocument.Bytes.size())));
        if (probe && probe->is_locked())
            ThrowEncrypted("PDF needs a password");
        ThrowCorrupt("not a readable PDF");
    }
    if (doc->is_locked())
        ThrowEncrypted("PDF needs a password");
    TTextSink &sink = aContext.Sink();
    PdfProperties(*doc).Write(sink);
    int pages = doc->pages();
    for (int i = 0; i < pages; ++i) {
        std::unique_ptr<poppler::page> page(doc->create_page(i));
        if (!page)
            continue;
        poppler::byte_array utf8 = page->text(poppler::rectf(), poppler::page::raw_order_layout).to_utf8();
        // Typeset text splits words at line ends; a search looks for them whole.
        sink.Append(JoinLineEndHyphens(std::string_view(utf8.data(), utf8.size())));
        sink.EndLine();
    }
}
