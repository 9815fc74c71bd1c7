// Fuzz target: a request's document through the extraction server's detection and the extractor
// it picks, in process, as the sandboxed child runs them (without the child's memory limit).
#include "extractd/child_job.h"
#include "extractd/extract_dispatch.h"
#include "extractd/extract_error.h"
#include "extractd/xml_reader.h"

#include <cstdint>
#include <cstdlib>
#include <glib.h>
#include <new>

namespace {

void IgnoreLog(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    WarmUpLibraries();
    SilenceXmlErrors();
    g_log_set_default_handler(IgnoreLog, nullptr);
    // Debian's converters (catdoc, antiword, xls2csv, djvutxt) are programs of their own and not
    // fuzzed here: with no folder to find them in, the extractors that run them refuse the
    // document as they do where the converter is not installed.
    setenv("PATH", "/nonexistent", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *aData, std::size_t aSize)
{
    const TDocument document{std::string_view(reinterpret_cast<const char *>(aData), aSize), ""};
    TTextSink sink(aSize);
    try {
        // With a password an encrypted package's key information is read as well.
        ExtractDocument(document, sink, "fuzz");
    } catch (const TExtractError &) {
        // Corrupt, encrypted or hostile: the request ends with 422.
    } catch (const std::bad_alloc &) {
        // Beyond the memory allowed: the child ends with its out-of-memory code.
    }
    return 0;
}
