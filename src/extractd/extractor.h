// The interface every format's extractor implements, and the context it writes into.
#pragma once

#include "extractd/text_sink.h"

#include <functional>
#include <string>
#include <string_view>

// One document to extract: its bytes and the name it was sent or stored under (may be empty).
struct TDocument
{
    std::string_view Bytes;
    std::string Name;
};

// What an extractor may use besides its document: the sink for the text, the password sent
// with the request, and a way to extract embedded documents one level deeper.
class TExtractContext
{
public:
    using TNestedExtract = std::function<void(const TDocument &, TExtractContext &)>;

    TExtractContext(TTextSink &aSink, std::string aPassword, TNestedExtract aNested, int aDepth = 0)
        : fSink(aSink), fPassword(std::move(aPassword)), fNested(std::move(aNested)), fDepth(aDepth)
    {
    }

    TTextSink &Sink() { return fSink; }
    const std::string &Password() const { return fPassword; }
    int Depth() const { return fDepth; }

    // Extracts an embedded document into the same sink. A corrupt or encrypted embedded
    // document is skipped; a bomb (output, nesting depth beyond ExtractLimits) is thrown on.
    void ExtractEmbedded(std::string_view aBytes, const std::string &aName);

private:
    TTextSink &fSink;
    std::string fPassword;
    TNestedExtract fNested;
    int fDepth;
};

class IExtractor
{
public:
    virtual ~IExtractor() = default;
    // Runs in the sandboxed child. Appends the text of aDocument to aContext.Sink().
    // Throws TExtractError for a corrupt, encrypted or hostile document.
    virtual void Extract(const TDocument &aDocument, TExtractContext &aContext) = 0;
};
