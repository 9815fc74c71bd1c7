// XML handlers shared by the zip-based office extractors: the text runs of WordprocessingML and
// DrawingML, and the relationships that link a package's parts.
#include "extractd/office_xml_text.h"

void TOoxmlTextHandler::OnStart(std::string_view aName, const TXmlElement &)
{
    if (fSkipped > 0 || aName == "Fallback") {
        ++fSkipped;
        return;
    }
    if (aName == "t")
        ++fInText;
    else if (aName == "tabs")
        ++fInTabStops;
    else if (aName == "tab" && fInTabStops == 0)
        fSink.Append("\t");
    else if (aName == "br" || aName == "cr")
        fSink.Append("\n");
}

void TOoxmlTextHandler::OnEnd(std::string_view aName)
{
    if (fSkipped > 0) {
        --fSkipped;
        return;
    }
    if (aName == "t")
        --fInText;
    else if (aName == "tabs")
        --fInTabStops;
    else if (aName == "p")
        fSink.EndLine();
    else if (aName == "tc")
        fSink.Append("\t");
    else if (aName == "tr")
        fSink.EndLine();
}

void TOoxmlTextHandler::OnText(std::string_view aText)
{
    if (fInText > 0 && fSkipped == 0)
        fSink.Append(aText);
}

namespace {

class TRelationshipHandler : public IXmlHandler
{
public:
    TRelationshipHandler(const std::string &aPart, std::vector<TRelationship> &aList)
        : fPart(aPart), fList(aList)
    {
    }
    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        if (aName != "Relationship" || aElement.Attribute("TargetMode") == "External")
            return;
        std::string type = aElement.Attribute("Type");
        std::size_t slash = type.rfind('/');
        fList.push_back(TRelationship{aElement.Attribute("Id"),
                                      slash == std::string::npos ? type : type.substr(slash + 1),
                                      ResolvePartName(fPart, aElement.Attribute("Target"))});
    }
    void OnEnd(std::string_view) override {}
    void OnText(std::string_view) override {}

private:
    const std::string &fPart;
    std::vector<TRelationship> &fList;
};

} // namespace

std::vector<TRelationship> ReadRelationships(const TZipPackage &aZip, const std::string &aPart)
{
    std::vector<TRelationship> list;
    std::size_t slash = aPart.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : aPart.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? aPart : aPart.substr(slash + 1);
    const TZipPackage::TEntry *rels = aZip.Find(folder + "_rels/" + file + ".rels");
    if (rels != nullptr) {
        // Targets are relative to the part itself (for the package: to its root).
        std::string base = aPart.empty() ? std::string("x") : aPart;
        TRelationshipHandler handler(base, list);
        ParseXml(rels->Data, handler);
    }
    return list;
}

void WriteOoxmlPart(const TZipPackage &aZip, const std::string &aPart, TTextSink &aSink)
{
    const TZipPackage::TEntry *entry = aZip.Find(aPart);
    if (entry == nullptr || entry->Data.empty())
        return;
    TOoxmlTextHandler handler(aSink);
    ParseXml(entry->Data, handler);
    aSink.EndLine();
}
