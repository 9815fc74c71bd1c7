// Chooses the extractor for a document by its detected type and runs it.
#include "extractd/extract_dispatch.h"

#include "extractd/archive_extractor.h"
#include "extractd/djvu_extractor.h"
#include "extractd/doc_extractor.h"
#include "extractd/epub_extractor.h"
#include "extractd/extract_error.h"
#include "extractd/extract_limits.h"
#include "extractd/html_extractor.h"
#include "extractd/mail_extractor.h"
#include "extractd/mobi_extractor.h"
#include "extractd/msg_extractor.h"
#include "extractd/odf_extractor.h"
#include "extractd/ole_package_extractor.h"
#include "extractd/ooxml_extractor.h"
#include "extractd/pdf_extractor.h"
#include "extractd/ppt_extractor.h"
#include "extractd/rtf_extractor.h"
#include "extractd/text_extractor.h"
#include "extractd/vsdx_extractor.h"
#include "extractd/wordperfect_extractor.h"
#include "extractd/xls_extractor.h"
#include "extractd/xml_extractor.h"
#include "extractd/xps_extractor.h"

namespace {

void ExtractDetected(const TDocument &aDocument, TExtractContext &aContext, TDocType aType)
{
    if (std::unique_ptr<IExtractor> extractor = MakeExtractor(aType))
        extractor->Extract(aDocument, aContext);
}

void ExtractNested(const TDocument &aDocument, TExtractContext &aContext)
{
    ExtractDetected(aDocument, aContext, DetectDocType(aDocument.Bytes, aDocument.Name));
}

} // namespace

void TExtractContext::ExtractEmbedded(std::string_view aBytes, const std::string &aName)
{
    if (fDepth + 1 > ExtractLimits::MaxNestingDepth)
        ThrowBomb("documents nested too deep");
    if (aBytes.empty())
        return;
    TExtractContext inner(fSink, fPassword, fNested, fDepth + 1);
    try {
        fNested(TDocument{aBytes, aName}, inner);
    } catch (const TExtractError &error) {
        if (error.Kind() == TExtractErrorKind::ekBomb)
            throw;
    }
    fSink.EndLine();
}

std::unique_ptr<IExtractor> MakeExtractor(TDocType aType)
{
    switch (aType) {
    case TDocType::dtText:
        return std::make_unique<TTextExtractor>();
    case TDocType::dtHtml:
        return std::make_unique<THtmlExtractor>();
    case TDocType::dtXml:
        return std::make_unique<TXmlExtractor>();
    case TDocType::dtPdf:
        return std::make_unique<TPdfExtractor>();
    case TDocType::dtRtf:
        return std::make_unique<TRtfExtractor>();
    case TDocType::dtDocx:
    case TDocType::dtXlsx:
    case TDocType::dtPptx:
    case TDocType::dtEncryptedOoxml:
        return std::make_unique<TOoxmlExtractor>(aType);
    case TDocType::dtOdf:
        return std::make_unique<TOdfExtractor>();
    case TDocType::dtEpub:
        return std::make_unique<TEpubExtractor>();
    case TDocType::dtDoc:
        return std::make_unique<TDocExtractor>();
    case TDocType::dtXls:
        return std::make_unique<TXlsExtractor>();
    case TDocType::dtPpt:
        return std::make_unique<TPptExtractor>();
    case TDocType::dtMsg:
        return std::make_unique<TMsgExtractor>();
    case TDocType::dtOlePackage:
        return std::make_unique<TOlePackageExtractor>();
    case TDocType::dtEml:
        return std::make_unique<TMailExtractor>(false);
    case TDocType::dtMbox:
        return std::make_unique<TMailExtractor>(true);
    case TDocType::dtZip:
    case TDocType::dtTar:
    case TDocType::dt7z:
    case TDocType::dtGzip:
    case TDocType::dtBzip2:
    case TDocType::dtXz:
    case TDocType::dtRar:
        return std::make_unique<TArchiveExtractor>();
    case TDocType::dtXps:
        return std::make_unique<TXpsExtractor>();
    case TDocType::dtVsdx:
        return std::make_unique<TVsdxExtractor>();
    case TDocType::dtMobi:
        return std::make_unique<TMobiExtractor>();
    case TDocType::dtDjvu:
        return std::make_unique<TDjvuExtractor>();
    case TDocType::dtWordPerfect:
        return std::make_unique<TWordPerfectExtractor>();
    case TDocType::dtUnknown:
        return nullptr;
    }
    return nullptr;
}

void ExtractDocument(const TDocument &aDocument, TTextSink &aSink, const std::string &aPassword,
                     const std::function<void(TDocType)> &aOnDetected)
{
    TDocType type = DetectDocType(aDocument.Bytes, aDocument.Name);
    if (aOnDetected)
        aOnDetected(type);
    TExtractContext context(aSink, aPassword, ExtractNested);
    ExtractDetected(aDocument, context, type);
    aSink.Flush();
}
