// DjVu documents: the hidden text layer of every page, through djvulibre's djvutxt run as a
// helper in the sandboxed child (the library decodes on threads of its own, which the child
// does not allow). A document without a text layer has no text.
#include "extractd/djvu_extractor.h"

#include "extractd/extract_error.h"
#include "extractd/helper_process.h"
#include "extractd/zip_package.h"

void TDjvuExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    THelperResult result = RunHelper("djvutxt", {}, aDocument.Bytes, ZipBudget(aDocument.Bytes.size()));
    if (!result.Ran)
        ThrowCorrupt("djvutxt (djvulibre-bin) is not installed: DjVu documents cannot be read");
    if (result.ExitCode != 0)
        ThrowCorrupt("the DjVu document cannot be read");
    // Pages are separated by form feeds.
    for (char &c : result.Output)
        if (c == '\f')
            c = '\n';
    aContext.Sink().Append(result.Output);
    aContext.Sink().EndLine();
}
