// E-mail messages (.eml) and mail folders (mbox) through GMime: each message's subject, sender
// and recipients, its text parts, HTML parts as text, and the text of attachments and attached
// messages, transfer encodings undone.
#include "extractd/mail_extractor.h"

#include "extractd/extract_error.h"
#include "extractd/extract_limits.h"
#include "extractd/html_extractor.h"

#include <gmime/gmime.h>
#include <memory>
#include <vector>

namespace {

template <typename T> struct TUnref
{
    void operator()(T *aObject) const
    {
        if (aObject != nullptr)
            g_object_unref(aObject);
    }
};
template <typename T> using TGPtr = std::unique_ptr<T, TUnref<T>>;

void AppendHeader(TTextSink &aSink, const char *aLabel, const char *aValue)
{
    if (aValue == nullptr || *aValue == '\0')
        return;
    aSink.EndLine();
    aSink.Append(aLabel);
    aSink.Append(aValue);
    aSink.EndLine();
}

void AppendAddresses(TTextSink &aSink, const char *aLabel, InternetAddressList *aList)
{
    if (aList == nullptr || internet_address_list_length(aList) == 0)
        return;
    std::unique_ptr<char, void (*)(void *)> text(internet_address_list_to_string(aList, nullptr, FALSE),
                                                 g_free);
    AppendHeader(aSink, aLabel, text.get());
}

// The decoded bytes of a leaf part (transfer encoding undone).
std::string PartBytes(GMimePart *aPart)
{
    std::string bytes;
    GMimeDataWrapper *content = g_mime_part_get_content(aPart);
    if (content == nullptr)
        return bytes;
    TGPtr<GMimeStream> stream(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, stream.get());
    GByteArray *array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
    if (array != nullptr)
        bytes.assign(reinterpret_cast<const char *>(array->data), array->len);
    return bytes;
}

class TMailWalker
{
public:
    explicit TMailWalker(TExtractContext &aContext) : fContext(aContext) {}

    void Message(GMimeMessage *aMessage, int aDepth)
    {
        if (aDepth > ExtractLimits::MaxNestingDepth)
            ThrowBomb("messages nested too deep");
        TTextSink &sink = fContext.Sink();
        AppendHeader(sink, "Subject: ", g_mime_message_get_subject(aMessage));
        AppendAddresses(sink, "From: ", g_mime_message_get_from(aMessage));
        AppendAddresses(sink, "To: ", g_mime_message_get_to(aMessage));
        AppendAddresses(sink, "Cc: ", g_mime_message_get_cc(aMessage));
        sink.EndLine();
        if (GMimeObject *body = g_mime_message_get_mime_part(aMessage))
            Object(body, aDepth);
    }

private:
    void Object(GMimeObject *aObject, int aDepth)
    {
        if (GMIME_IS_MULTIPART(aObject)) {
            if (aDepth > ExtractLimits::MaxXmlDepth)
                ThrowBomb("multiparts nested too deep");
            GMimeMultipart *multipart = GMIME_MULTIPART(aObject);
            int count = g_mime_multipart_get_count(multipart);
            for (int i = 0; i < count; ++i)
                Object(g_mime_multipart_get_part(multipart, i), aDepth + 1);
        } else if (GMIME_IS_MESSAGE_PART(aObject)) {
            if (GMimeMessage *inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(aObject)))
                Message(inner, aDepth + 1);
        } else if (GMIME_IS_PART(aObject)) {
            Part(GMIME_PART(aObject));
        }
    }

    void Part(GMimePart *aPart)
    {
        GMimeContentType *type = g_mime_object_get_content_type(GMIME_OBJECT(aPart));
        const bool attachment = g_mime_part_is_attachment(aPart);
        TTextSink &sink = fContext.Sink();
        if (!attachment && GMIME_IS_TEXT_PART(aPart) && g_mime_content_type_is_type(type, "text", "plain")) {
            std::unique_ptr<char, void (*)(void *)> text(g_mime_text_part_get_text(GMIME_TEXT_PART(aPart)),
                                                         g_free);
            if (text) {
                sink.Append(text.get());
                sink.EndLine();
            }
            return;
        }
        if (!attachment && GMIME_IS_TEXT_PART(aPart) && g_mime_content_type_is_type(type, "text", "html")) {
            std::unique_ptr<char, void (*)(void *)> text(g_mime_text_part_get_text(GMIME_TEXT_PART(aPart)),
                                                         g_free);
            if (text) {
                // Already UTF-8: the byte-order mark outranks a charset the page may declare.
                std::string page = "\xEF\xBB\xBF" + std::string(text.get());
                THtmlExtractor().Extract(TDocument{page, "part.html"}, fContext);
            }
            return;
        }
        const char *filename = g_mime_part_get_filename(aPart);
        std::string name = filename != nullptr ? filename : "";
        if (!name.empty()) {
            sink.EndLine();
            sink.Append(name);
            sink.EndLine();
        }
        fContext.ExtractEmbedded(PartBytes(aPart), name);
    }

    TExtractContext &fContext;
};

// The messages of a mail folder: each starts with a "From " line at the folder's start or after
// an empty line (the line itself is not part of the message). Inside a message a line that the
// folder escaped as ">From " (">>From " ...) loses one ">".
std::vector<std::string> SplitFolder(std::string_view aFolder)
{
    std::vector<std::string> messages;
    bool afterEmpty = true;
    std::size_t pos = 0;
    while (pos < aFolder.size()) {
        std::size_t end = aFolder.find('\n', pos);
        end = end == std::string_view::npos ? aFolder.size() : end + 1;
        std::string_view line = aFolder.substr(pos, end - pos);
        pos = end;
        const bool empty = line == "\n" || line == "\r\n";
        if (afterEmpty && line.starts_with("From ")) {
            messages.emplace_back();
        } else if (!messages.empty()) {
            std::size_t quotes = line.find_first_not_of('>');
            if (quotes != std::string_view::npos && quotes > 0 && line.substr(quotes).starts_with("From "))
                line.remove_prefix(1);
            messages.back().append(line);
        }
        afterEmpty = empty;
    }
    return messages;
}

} // namespace

void TMailExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    static const bool initialised = (g_mime_init(), true);
    (void)initialised;
    auto parse = [](std::string_view aBytes) {
        TGPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(aBytes.data(), aBytes.size()));
        TGPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
        return TGPtr<GMimeMessage>(g_mime_parser_construct_message(parser.get(), nullptr));
    };
    if (!fFolder) {
        TGPtr<GMimeMessage> message = parse(aDocument.Bytes);
        if (!message)
            ThrowCorrupt("not a mail message");
        TMailWalker(aContext).Message(message.get(), 0);
        return;
    }
    int messages = 0;
    for (const std::string &text : SplitFolder(aDocument.Bytes)) {
        TGPtr<GMimeMessage> message = parse(text);
        if (!message)
            continue;
        ++messages;
        aContext.Sink().EndLine();
        TMailWalker(aContext).Message(message.get(), 0);
    }
    if (messages == 0)
        ThrowCorrupt("not a mail folder");
}
