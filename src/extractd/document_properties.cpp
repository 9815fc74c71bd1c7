// A document's own description (title, subject, keywords, author, description) from the places
// formats keep it, written at the start of the document's text.
#include "extractd/document_properties.h"

#include "extractd/extract_error.h"
#include "extractd/ole_file.h"
#include "extractd/text_decoder.h"
#include "extractd/xml_reader.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

std::string Trimmed(std::string_view aText)
{
    std::size_t first = aText.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    std::size_t last = aText.find_last_not_of(" \t\r\n");
    return std::string(aText.substr(first, last - first + 1));
}

// Collects the text of the property elements, wherever they stand (XMP keeps values in rdf:li
// children, several for keywords and authors).
class TPropertyHandler : public IXmlHandler
{
public:
    TDocumentProperties Properties;

    void OnStart(std::string_view aName, const TXmlElement &) override
    {
        if (fField == nullptr) {
            fField = FieldOf(aName);
            fDepth = 0;
            fValue.clear();
        }
        if (fField != nullptr) {
            ++fDepth;
            if (aName == "li" && !fValue.empty())
                fValue += ", ";
        }
    }

    void OnEnd(std::string_view) override
    {
        if (fField == nullptr || --fDepth > 0)
            return;
        std::string value = Trimmed(fValue);
        if (!value.empty()) {
            if (fField == &fInitialCreator || fField->empty())
                *fField = value;
            else if (fField == &Properties.Keywords)
                *fField += ", " + value;
        }
        fField = nullptr;
    }

    void OnText(std::string_view aText) override
    {
        if (fField != nullptr)
            fValue.append(aText);
    }

    void Finish()
    {
        if (!fInitialCreator.empty())
            Properties.Author = fInitialCreator;
    }

private:
    std::string *FieldOf(std::string_view aName)
    {
        if (aName == "title")
            return &Properties.Title;
        if (aName == "subject")
            return &Properties.Subject;
        if (aName == "keywords" || aName == "keyword" || aName == "Keywords")
            return &Properties.Keywords;
        if (aName == "creator" || aName == "Author")
            return &Properties.Author;
        // ODF names the author initial-creator and the last editor creator.
        if (aName == "initial-creator")
            return &fInitialCreator;
        if (aName == "description")
            return &Properties.Description;
        return nullptr;
    }

    std::string *fField = nullptr;
    int fDepth = 0;
    std::string fValue;
    std::string fInitialCreator;
};

std::string CodepageName(int aCodepage)
{
    switch (aCodepage) {
    case 1200:
        return "UTF-16LE";
    case 65001:
        return "UTF-8";
    case 10000:
        return "MACINTOSH";
    case 0:
        return "WINDOWS-1252";
    default:
        return "CP" + std::to_string(aCodepage);
    }
}

// The string value of the property at aAt of a property set section (VT_LPSTR in aCodepage or
// VT_LPWSTR), or nothing for another type.
std::optional<std::string> StringValue(std::string_view aSection, std::size_t aAt,
                                       const std::string &aCodepage)
{
    const std::uint32_t type = ReadLe32(aSection, aAt) & 0xFFFF;
    const std::uint32_t count = ReadLe32(aSection, aAt + 4);
    if (aAt + 8 > aSection.size())
        return std::nullopt;
    std::string_view rest = aSection.substr(aAt + 8);
    std::string value;
    if (type == 0x1E) {
        std::string_view bytes = rest.substr(0, count);
        value = ConvertToUtf8(bytes.substr(0, bytes.find('\0')), aCodepage);
    } else if (type == 0x1F) {
        std::string_view units = rest.substr(0, std::size_t(count) * 2);
        std::size_t end = 0;
        while (end + 1 < units.size() && (units[end] != 0 || units[end + 1] != 0))
            end += 2;
        value = ConvertToUtf8(units.substr(0, end), "UTF-16LE");
    } else {
        return std::nullopt;
    }
    return Trimmed(value);
}

} // namespace

void TDocumentProperties::Complete(const TDocumentProperties &aOther)
{
    for (auto [mine, theirs] : {std::pair{&Title, &aOther.Title}, std::pair{&Subject, &aOther.Subject},
                                std::pair{&Keywords, &aOther.Keywords}, std::pair{&Author, &aOther.Author},
                                std::pair{&Description, &aOther.Description}})
        if (mine->empty())
            *mine = *theirs;
}

void TDocumentProperties::Write(TTextSink &aSink) const
{
    std::vector<std::string_view> written;
    for (const std::string *value : {&Title, &Subject, &Keywords, &Author, &Description}) {
        if (value->empty() || std::find(written.begin(), written.end(), *value) != written.end())
            continue;
        written.push_back(*value);
        aSink.EndLine();
        aSink.Append(*value);
        aSink.EndLine();
    }
}

TDocumentProperties ReadXmlProperties(std::string_view aXml)
{
    TPropertyHandler handler;
    try {
        ParseXml(aXml, handler);
    } catch (const TExtractError &error) {
        if (error.Kind() == TExtractErrorKind::ekBomb)
            throw;
        return {};
    }
    handler.Finish();
    return handler.Properties;
}

TDocumentProperties ReadSummaryInformation(const TOleFile &aOle)
{
    TDocumentProperties properties;
    std::optional<std::string> stream = aOle.ReadStream("\005SummaryInformation", 1 << 20);
    if (!stream || stream->size() < 48 || ReadLe16(*stream, 0) != 0xFFFE)
        return properties;
    const std::uint32_t start = ReadLe32(*stream, 44);
    if (start >= stream->size())
        return properties;
    std::string_view section = std::string_view(*stream).substr(start);
    section = section.substr(0, ReadLe32(section, 0));
    const std::uint32_t count = ReadLe32(section, 4);
    std::string codepage = "WINDOWS-1252";
    for (std::uint32_t i = 0; i < count && 8 + i * 8 + 8 <= section.size(); ++i)
        if (ReadLe32(section, 8 + i * 8) == 1)
            codepage = CodepageName(ReadLe16(section, ReadLe32(section, 12 + i * 8) + 4));
    for (std::uint32_t i = 0; i < count && 8 + i * 8 + 8 <= section.size(); ++i) {
        std::string *field = nullptr;
        switch (ReadLe32(section, 8 + i * 8)) {
        case 2:
            field = &properties.Title;
            break;
        case 3:
            field = &properties.Subject;
            break;
        case 4:
            field = &properties.Author;
            break;
        case 5:
            field = &properties.Keywords;
            break;
        case 6:
            field = &properties.Description;
            break;
        default:
            continue;
        }
        if (std::optional<std::string> value = StringValue(section, ReadLe32(section, 12 + i * 8), codepage))
            *field = *value;
    }
    return properties;
}
