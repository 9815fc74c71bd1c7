// Documents that the extraction fuzz target found to break an extractor, kept among its seeds in
// fuzz/corpus/extract_document/: each goes through detection and extraction as the fuzz target
// sends it and ends cleanly, with its text or refused as a document, never with another error.
#include "extractd/extract_dispatch.h"
#include "extractd/extract_error.h"
#include "server_process.h"

#include <cctype>
#include <gtest/gtest.h>

namespace {

struct TFinding
{
    const char *File;
    // What broke before the fix.
    const char *What;
};

const TFinding Findings[] = {
    {"regression-mobi-short-header", "a Mobipocket header shorter than its fixed part"},
    {"regression-mobi-exth-past-header", "a Mobipocket header length beyond the header record"},
};

void PrintTo(const TFinding &aFinding, std::ostream *aOut)
{
    *aOut << aFinding.File;
}

class FuzzFindings : public testing::TestWithParam<TFinding>
{
};

std::string FindingName(const testing::TestParamInfo<TFinding> &aInfo)
{
    std::string name = aInfo.param.File;
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

} // namespace

TEST_P(FuzzFindings, EndsWithTextOrARefusal)
{
    const TFinding &finding = GetParam();
    const std::string bytes =
        ReadFileBytes(std::string(ORDWELL_TEST_SOURCE_DIR) + "/fuzz/corpus/extract_document/" + finding.File);
    ASSERT_FALSE(bytes.empty()) << finding.File;
    TTextSink sink(bytes.size());
    try {
        ExtractDocument(TDocument{bytes, ""}, sink, "fuzz");
    } catch (const TExtractError &) {
        // Refused as corrupt, encrypted or hostile: a clean end.
    } catch (const std::exception &error) {
        ADD_FAILURE() << finding.What << ": " << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Extraction, FuzzFindings, testing::ValuesIn(Findings), FindingName);
