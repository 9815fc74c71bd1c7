// Outlook messages (.msg) through libgsf: subject, sender, recipients, the body (plain, else
// HTML), and the text of the attachments.
#include "extractd/msg_extractor.h"

#include "extractd/html_extractor.h"
#include "extractd/ole_file.h"
#include "extractd/text_decoder.h"

namespace {

// The code page of the message's 8-bit strings from its property stream (message or internet
// code page), as an iconv name; "" when the message does not say.
std::string MessageCodepage(const TOleFile &aOle)
{
    std::optional<std::string> props = aOle.ReadStream("__properties_version1.0", 1 << 20);
    if (!props)
        return {};
    std::uint32_t codepage = 0;
    for (std::size_t at = 32; at + 16 <= props->size(); at += 16) {
        std::uint32_t tag = ReadLe32(*props, at);
        if (tag == 0x3FFD0003 || (tag == 0x3FDE0003 && codepage == 0))
            codepage = ReadLe32(*props, at + 8);
    }
    switch (codepage) {
    case 0:
        return {};
    case 65001:
        return "UTF-8";
    case 1200:
        return "UTF-16LE";
    case 20127:
        return "ASCII";
    case 20932:
    case 51932:
        return "EUC-JP";
    case 50220:
    case 50221:
    case 50222:
        return "ISO-2022-JP";
    case 51949:
        return "EUC-KR";
    case 52936:
        return "HZ";
    case 54936:
        return "GB18030";
    default:
        if (codepage >= 28591 && codepage <= 28605)
            return "ISO-8859-" + std::to_string(codepage - 28590);
        return "CP" + std::to_string(codepage);
    }
}

// A string property of the storage at aFolder: the UTF-16 form (type 001F) or the 8-bit one
// (001E, in aCodepage or else guessed), converted to UTF-8 without its trailing NULs.
std::string StringProperty(const TOleFile &aOle, const std::string &aFolder, const char *aId,
                           const std::string &aCodepage)
{
    std::string base = aFolder + "__substg1.0_" + aId;
    std::string text;
    if (std::optional<std::string> wide = aOle.ReadStream(base + "001F")) {
        text = ConvertToUtf8(*wide, "UTF-16LE");
    } else if (std::optional<std::string> narrow = aOle.ReadStream(base + "001E")) {
        text = ConvertToUtf8(*narrow, aCodepage.empty() ? DetectCharset(*narrow, true) : aCodepage);
    }
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

void AppendLabelled(TTextSink &aSink, const char *aLabel, const std::string &aValue)
{
    if (aValue.empty())
        return;
    aSink.EndLine();
    aSink.Append(aLabel);
    aSink.Append(aValue);
    aSink.EndLine();
}

} // namespace

void TMsgExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TOleFile ole(aDocument.Bytes);
    TTextSink &sink = aContext.Sink();
    const std::string codepage = MessageCodepage(ole);
    auto property = [&](const std::string &aFolder, const char *aId) {
        return StringProperty(ole, aFolder, aId, codepage);
    };
    AppendLabelled(sink, "Subject: ", property("", "0037"));
    std::string from = property("", "0C1A");
    std::string address = property("", "0C1F");
    if (!address.empty() && address.find('@') != std::string::npos && from.find(address) == std::string::npos)
        from += (from.empty() ? "" : " ") + ("<" + address + ">");
    AppendLabelled(sink, "From: ", from);
    AppendLabelled(sink, "To: ", property("", "0E04"));
    AppendLabelled(sink, "Cc: ", property("", "0E03"));
    sink.EndLine();

    std::string body = property("", "1000");
    if (!body.empty()) {
        sink.Append(body);
        sink.EndLine();
    } else if (std::optional<std::string> html = ole.ReadStream("__substg1.0_10130102")) {
        THtmlExtractor().Extract(TDocument{*html, "body.html"}, aContext);
    } else if (std::string htmlText = property("", "1013"); !htmlText.empty()) {
        std::string page = "\xEF\xBB\xBF" + htmlText;
        THtmlExtractor().Extract(TDocument{page, "body.html"}, aContext);
    }

    for (const std::string &child : ole.Children()) {
        if (!child.starts_with("__attach_version1.0_"))
            continue;
        std::string folder = child + "/";
        std::string name = property(folder, "3707");
        if (name.empty())
            name = property(folder, "3704");
        std::optional<std::string> data = ole.ReadStream(folder + "__substg1.0_37010102", 256ull << 20);
        if (!name.empty()) {
            sink.EndLine();
            sink.Append(name);
            sink.EndLine();
        }
        if (data)
            aContext.ExtractEmbedded(*data, name);
    }
}
