// HTML and XHTML: charset from the byte-order mark or a meta tag, script and style dropped,
// entities decoded, one line per block element.
#include "extractd/html_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/extract_error.h"
#include "extractd/text_decoder.h"

#include <algorithm>
#include <cctype>
#include <libxml/HTMLparser.h>
#include <memory>
#include <set>

namespace {

// The title is written with the page's other properties.
bool IsSkipped(std::string_view aName)
{
    return aName == "script" || aName == "style" || aName == "template" || aName == "object" ||
           aName == "embed" || aName == "applet" || aName == "title";
}

bool IsBlock(std::string_view aName)
{
    static const std::set<std::string_view> blocks = {
        "address", "article",  "aside",      "blockquote", "br",       "caption", "dd",     "div", "dl",
        "dt",      "fieldset", "figcaption", "figure",     "footer",   "form",    "h1",     "h2",  "h3",
        "h4",      "h5",       "h6",         "header",     "hr",       "li",      "main",   "nav", "ol",
        "p",       "pre",      "section",    "table",      "td",       "th",      "title",  "tr",  "ul",
        "body",    "head",     "html",       "option",     "textarea", "summary", "details"};
    return blocks.count(aName) > 0;
}

std::string_view Name(const xmlNode *aNode)
{
    return aNode->name == nullptr ? std::string_view() : reinterpret_cast<const char *>(aNode->name);
}

std::string Property(const xmlNode *aNode, const char *aName)
{
    std::unique_ptr<xmlChar, void (*)(void *)> value(
        xmlGetProp(aNode, reinterpret_cast<const xmlChar *>(aName)), xmlFree);
    return value ? reinterpret_cast<const char *>(value.get()) : "";
}

std::string Collapsed(std::string_view aText)
{
    std::string out;
    for (char c : aText) {
        bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
        if (!space)
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// The page's title and the description, keywords, author and subject of its meta elements.
void CollectProperties(const xmlNode *aNode, TDocumentProperties &aProperties, int aDepth = 0)
{
    for (; aNode != nullptr && aDepth < 64; aNode = aNode->next) {
        if (aNode->type != XML_ELEMENT_NODE)
            continue;
        std::string_view name = Name(aNode);
        if (name == "title" && aProperties.Title.empty()) {
            std::unique_ptr<xmlChar, void (*)(void *)> text(xmlNodeGetContent(aNode), xmlFree);
            if (text)
                aProperties.Title = Collapsed(reinterpret_cast<const char *>(text.get()));
        } else if (name == "meta") {
            std::string key = Property(aNode, "name");
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            std::string *field = key == "description" ? &aProperties.Description
                                 : key == "keywords"  ? &aProperties.Keywords
                                 : key == "author"    ? &aProperties.Author
                                 : key == "subject"   ? &aProperties.Subject
                                                      : nullptr;
            if (field != nullptr && field->empty())
                *field = Collapsed(Property(aNode, "content"));
        } else if (name != "body" && !IsSkipped(name)) {
            CollectProperties(aNode->children, aProperties, aDepth + 1);
        }
    }
}

// Writes aText with runs of white space collapsed to one space and none at a line's start.
void AppendCollapsed(std::string_view aText, TTextSink &aSink, bool &aAtLineStart)
{
    std::string out;
    bool space = false;
    for (char c : aText) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            space = true;
            continue;
        }
        if (space && !(aAtLineStart && out.empty()))
            out += ' ';
        space = false;
        out += c;
    }
    if (space && !out.empty())
        out += ' ';
    if (!out.empty()) {
        aSink.Append(out);
        aAtLineStart = false;
    }
}

// Writes the text below aRoot; aAtLineStart tells whether the sink stands at a line's start.
void WriteText(const xmlNode *aRoot, TTextSink &aSink, bool &aAtLineStart)
{
    bool &atLineStart = aAtLineStart;
    int inPre = 0;
    auto endLine = [&] {
        aSink.EndLine();
        atLineStart = true;
    };
    const xmlNode *node = aRoot;
    while (node != nullptr) {
        bool descend = false;
        if (node->type == XML_ELEMENT_NODE) {
            std::string_view name = Name(node);
            if (!IsSkipped(name)) {
                if (IsBlock(name))
                    endLine();
                descend = node->children != nullptr;
                if (descend && name == "pre")
                    ++inPre;
            }
        } else if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) &&
                   node->content != nullptr) {
            std::string_view text = reinterpret_cast<const char *>(node->content);
            if (inPre > 0) {
                aSink.Append(text);
                atLineStart = false;
            } else {
                AppendCollapsed(text, aSink, atLineStart);
            }
        }
        if (descend) {
            node = node->children;
            continue;
        }
        // Up until a sibling is found, ending the lines of the blocks left behind.
        while (node != nullptr && node != aRoot && node->next == nullptr) {
            node = node->parent;
            if (node != nullptr && node->type == XML_ELEMENT_NODE) {
                if (Name(node) == "pre")
                    --inPre;
                if (IsBlock(Name(node)))
                    endLine();
            }
        }
        if (node == nullptr || node == aRoot)
            break;
        node = node->next;
    }
}

} // namespace

std::string HtmlMetaCharset(std::string_view aHead)
{
    std::string head(aHead.substr(0, 4096));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::size_t pos = 0;
    while ((pos = head.find("<meta", pos)) != std::string::npos) {
        std::size_t end = head.find('>', pos);
        std::string tag = head.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos += 5;
        std::size_t at = tag.find("charset");
        if (at == std::string::npos)
            continue;
        at += 7;
        while (at < tag.size() && (tag[at] == ' ' || tag[at] == '='))
            ++at;
        while (at < tag.size() && (tag[at] == '"' || tag[at] == '\''))
            ++at;
        std::size_t stop = at;
        while (stop < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[stop])) ||
                                     tag[stop] == '-' || tag[stop] == '_' || tag[stop] == ':'))
            ++stop;
        if (stop > at)
            return tag.substr(at, stop - at);
    }
    return {};
}

void THtmlExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    std::string_view bytes = aDocument.Bytes;
    std::string charset;
    if (ByteOrderMarkLength(bytes) > 0) {
        charset = DetectCharset(bytes.substr(0, 4));
    } else {
        charset = HtmlMetaCharset(bytes);
        // A page in UTF-16 cannot declare itself in ASCII bytes; the zero-byte pattern wins.
        std::string guessed = DetectCharset(bytes.substr(0, 64 * 1024), bytes.size() <= 64 * 1024);
        if (charset.empty() || guessed.starts_with("UTF-16"))
            charset = guessed;
    }
    std::string text = ConvertToUtf8(bytes, charset);
    if (text.size() > static_cast<std::size_t>(INT32_MAX))
        ThrowBomb("HTML page too large");
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(
        htmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8",
                       HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                           HTML_PARSE_IGNORE_ENC | HTML_PARSE_NOIMPLIED),
        xmlFreeDoc);
    if (!doc)
        return; // Nothing the parser could make sense of: a page without text.
    if (xmlNode *root = xmlDocGetRootElement(doc.get())) {
        TDocumentProperties properties;
        CollectProperties(root, properties);
        properties.Write(aContext.Sink());
        // Walk the root and its siblings (comments or stray elements next to <html>).
        bool atLineStart = true;
        for (xmlNode *top = root; top != nullptr; top = top->next)
            WriteText(top, aContext.Sink(), atLineStart);
        aContext.Sink().EndLine();
    }
}
