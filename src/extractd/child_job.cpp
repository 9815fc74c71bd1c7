// The work done in the sandboxed child for one request: map the body, limit memory, extract.
#include "extractd/child_job.h"

#include "extractd/ansi_charset.h"
#include "extractd/extract_dispatch.h"
#include "extractd/extract_error.h"
#include "extractd/sandbox.h"
#include "extractd/xml_reader.h"

#include <glib.h>
#include <iconv.h>
#include <libxml/parser.h>
#include <new>
#include <sys/mman.h>

namespace {

void IgnoreLog(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

} // namespace

TChildJobRunner::TChildJobRunner()
{
    SilenceXmlErrors();
    g_log_set_default_handler(IgnoreLog, nullptr);
    {
        TTextSink sink(1024);
        ExtractDocument(TDocument{"warm-up", ""}, sink, "");
    }
    fMappedBytes = MappedBytes();
}

int TChildJobRunner::Run(const TChildJob &aJob, TChildReport &aReport) const
{
    SilenceXmlErrors();
    g_log_set_default_handler(IgnoreLog, nullptr);
    void *mapped = mmap(nullptr, aJob.BodyBytes, PROT_READ, MAP_PRIVATE, aJob.BodyFd, 0);
    if (mapped == MAP_FAILED)
        return ceOutOfMemory;
    if (!LimitAddressSpace(aJob.MaxMemoryBytes, fMappedBytes + aJob.BodyBytes))
        return ceFailed;
    try {
        TTextSink sink(aJob.BodyBytes, aJob.OutFd);
        TDocument document{std::string_view(static_cast<const char *>(mapped), aJob.BodyBytes), aJob.Name};
        ExtractDocument(document, sink, aJob.Password, [&](TDocType aType) { aReport.Type = aType; });
        aReport.Characters = sink.Characters();
        return ceOk;
    } catch (const TExtractError &error) {
        aReport.Reason = error.what();
        switch (error.Kind()) {
        case TExtractErrorKind::ekCorrupt:
            return ceCorrupt;
        case TExtractErrorKind::ekEncrypted:
            return ceEncrypted;
        case TExtractErrorKind::ekBomb:
            return ceBomb;
        }
    } catch (const std::bad_alloc &) {
        return ceOutOfMemory;
    } catch (...) {
    }
    return ceFailed;
}

void WarmUpLibraries()
{
    xmlInitParser();
    SilenceXmlErrors();
    for (const char *charset : {"UTF-8", "UTF-16LE", "WINDOWS-1252", AnsiCharset().c_str()}) {
        iconv_t cd = iconv_open("UTF-8", charset);
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
}

const char *ChildExitName(int aCode)
{
    switch (aCode) {
    case ceOk:
        return "ok";
    case ceCorrupt:
        return "corrupt";
    case ceEncrypted:
        return "encrypted";
    case ceBomb:
        return "bomb";
    case ceOutOfMemory:
        return "out-of-memory";
    default:
        return "failed";
    }
}
