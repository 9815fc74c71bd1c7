// EPUB books: the XHTML documents of the spine, in reading order.
#include "extractd/epub_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/html_extractor.h"
#include "extractd/request_headers.h"
#include "extractd/xml_reader.h"
#include "extractd/zip_package.h"

#include <map>
#include <vector>

namespace {

class TContainerHandler : public IXmlHandler
{
public:
    std::string RootFile;
    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        if (aName == "rootfile" && RootFile.empty())
            RootFile = aElement.Attribute("full-path");
    }
    void OnEnd(std::string_view) override {}
    void OnText(std::string_view) override {}
};

class TPackageHandler : public IXmlHandler
{
public:
    std::map<std::string, std::string> Manifest; // id -> href
    std::vector<std::string> Spine;              // ids
    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        if (aName == "item")
            Manifest[aElement.Attribute("id")] = aElement.Attribute("href");
        else if (aName == "itemref")
            Spine.push_back(aElement.Attribute("idref"));
    }
    void OnEnd(std::string_view) override {}
    void OnText(std::string_view) override {}
};

} // namespace

void TEpubExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TZipPackage zip(aDocument.Bytes, {}, ZipBudget(aDocument.Bytes.size()));
    TContainerHandler container;
    if (const auto *entry = zip.Find("META-INF/container.xml"))
        ParseXml(entry->Data, container);
    const auto *opf = container.RootFile.empty() ? nullptr : zip.Find(container.RootFile);
    THtmlExtractor html;
    if (opf == nullptr) {
        // No package document: every XHTML file in stored order.
        for (const auto &entry : zip.Entries())
            if (entry.Name.ends_with(".xhtml") || entry.Name.ends_with(".html") ||
                entry.Name.ends_with(".htm"))
                html.Extract(TDocument{entry.Data, entry.Name}, aContext);
        return;
    }
    ReadXmlProperties(opf->Data).Write(aContext.Sink());
    TPackageHandler package;
    ParseXml(opf->Data, package);
    for (const std::string &id : package.Spine) {
        auto item = package.Manifest.find(id);
        if (item == package.Manifest.end())
            continue;
        std::string href = PercentDecode(item->second.substr(0, item->second.find('#')));
        if (const auto *entry = zip.Find(ResolvePartName(container.RootFile, href)))
            html.Extract(TDocument{entry->Data, entry->Name}, aContext);
    }
}
