// OpenDocument text, spreadsheets and presentations: the body of content.xml, the headers and
// footers of the master pages in styles.xml, then the documents embedded as objects.
#include "extractd/odf_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/extract_error.h"
#include "extractd/xml_reader.h"
#include "extractd/zip_package.h"

#include <vector>

namespace {

// Writes the text found inside elements named aScope (office:body, style:master-page).
// Footnotes and comments are written after the paragraph that holds them, so that neither
// their text nor a footnote's number is glued into the sentence around them; a comment's
// author and date are left out. In master pages only headers, footers and shapes of no
// placeholder class count: the title and outline placeholders and the page-number field of a
// presentation's master ("Click to edit...", "<number>") are not the document's text.
class TOdfTextHandler : public IXmlHandler
{
public:
    TOdfTextHandler(TTextSink &aSink, std::string_view aScope) : fSink(aSink), fScope(aScope) {}

    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        if (aName == fScope)
            ++fInScope;
        const std::string parent = fStack.empty() ? std::string() : fStack.back();
        fStack.emplace_back(aName);
        if (fInScope == 0)
            return;
        if (fSkipped > 0 || Skips(aName, parent, aElement)) {
            ++fSkipped;
            return;
        }
        if (aName == "note-body" || aName == "annotation")
            ++fAside;
        else if ((aName == "p" || aName == "h") && fAside == 0)
            ++fParagraphs;
        else if (aName == "tab")
            Write("\t");
        else if (aName == "line-break")
            Write("\n");
        else if (aName == "s") {
            int count = std::max(1, std::atoi(aElement.Attribute("c").c_str()));
            Write(std::string(static_cast<std::size_t>(std::min(count, 1000)), ' '));
        }
    }

    void OnEnd(std::string_view aName) override
    {
        if (!fStack.empty())
            fStack.pop_back();
        if (fInScope > 0 && fSkipped > 0) {
            --fSkipped;
        } else if (fInScope > 0) {
            if (aName == "p" || aName == "h" || aName == "table-row")
                EndLine();
            else if (aName == "table-cell")
                Write("\t");
            if (aName == "note-body" || aName == "annotation")
                --fAside;
            else if ((aName == "p" || aName == "h") && fAside == 0)
                --fParagraphs;
            if (fAside == 0 && fParagraphs == 0 && !fAsideText.empty()) {
                fSink.EndLine();
                fSink.Append(fAsideText);
                fSink.EndLine();
                fAsideText.clear();
            }
        }
        if (aName == fScope)
            --fInScope;
    }

    void OnText(std::string_view aText) override
    {
        if (fInScope > 0 && fSkipped == 0)
            Write(aText);
    }

private:
    bool Skips(std::string_view aName, const std::string &aParent, const TXmlElement &aElement) const
    {
        if (aName == "note-citation")
            return true;
        if (aParent == "annotation" && (aName == "creator" || aName == "date" || aName == "date-string"))
            return true;
        if (fScope != "master-page")
            return false;
        if (aName == "notes" || aName == "page-number")
            return true;
        std::string placeholder = aElement.Attribute("class");
        return !placeholder.empty() && placeholder != "footer" && placeholder != "header";
    }

    void Write(std::string_view aText)
    {
        if (fAside > 0)
            fAsideText.append(aText);
        else
            fSink.Append(aText);
    }

    void EndLine()
    {
        if (fAside == 0)
            fSink.EndLine();
        else if (!fAsideText.empty() && fAsideText.back() != '\n')
            fAsideText += '\n';
    }

    TTextSink &fSink;
    std::string_view fScope;
    int fInScope = 0;
    int fSkipped = 0;
    int fAside = 0;
    int fParagraphs = 0;
    std::string fAsideText;
    std::vector<std::string> fStack;
};

// An object embedded in the document: a folder "Object 1/" with its own content.xml, or a
// binary "Object 1" written by another program.
bool IsObject(const std::string &aName)
{
    std::string_view name = aName;
    if (name.starts_with("./"))
        name.remove_prefix(2);
    return name.starts_with("Object ") &&
           (name.find('/') == std::string_view::npos || name.ends_with("/content.xml"));
}

} // namespace

void TOdfExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TZipPackage zip(
        aDocument.Bytes,
        [](const std::string &aName) {
            return aName == "content.xml" || aName == "styles.xml" || aName == "meta.xml" || IsObject(aName);
        },
        ZipBudget(aDocument.Bytes.size()));
    if (const auto *meta = zip.Find("meta.xml"))
        ReadXmlProperties(meta->Data).Write(aContext.Sink());
    if (const auto *content = zip.Find("content.xml")) {
        TOdfTextHandler handler(aContext.Sink(), "body");
        ParseXml(content->Data, handler);
        aContext.Sink().EndLine();
    }
    if (const auto *styles = zip.Find("styles.xml")) {
        TOdfTextHandler handler(aContext.Sink(), "master-page");
        ParseXml(styles->Data, handler);
        aContext.Sink().EndLine();
    }
    for (const TZipPackage::TEntry &entry : zip.Entries()) {
        if (!IsObject(entry.Name))
            continue;
        if (entry.Name.ends_with("/content.xml")) {
            TOdfTextHandler handler(aContext.Sink(), "body");
            try {
                ParseXml(entry.Data, handler);
            } catch (const TExtractError &error) {
                // A broken object is skipped like any other embedded document.
                if (error.Kind() == TExtractErrorKind::ekBomb)
                    throw;
            }
            aContext.Sink().EndLine();
        } else {
            aContext.ExtractEmbedded(entry.Data, {});
        }
    }
}
