// Joining words hyphenated at a PDF line end: which line ends join, whether the hyphen stays, and
// where the rest of the next line goes.
#include "extractd/line_end_hyphens.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct THyphenCase
{
    const char *fPage;
    const char *fJoined;
};

void PrintTo(const THyphenCase &aCase, std::ostream *aOut)
{
    // One line of ASCII, as ctest names the case after it.
    if (*aCase.fPage == 0)
        *aOut << "empty";
    for (const char *c = aCase.fPage; *c != 0; ++c) {
        if (*c > ' ' && *c < 127)
            *aOut << *c;
        else
            *aOut << '%' << std::hex << int(static_cast<unsigned char>(*c)) << std::dec;
    }
}

class LineEndHyphens : public ::testing::TestWithParam<THyphenCase>
{
};

TEST_P(LineEndHyphens, JoinsHyphenatedWords)
{
    EXPECT_EQ(JoinLineEndHyphens(GetParam().fPage), GetParam().fJoined);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineEndHyphens,
    ::testing::Values(
        // Text without a line-end hyphen stays as it is, byte for byte.
        THyphenCase{"", ""}, THyphenCase{"one line", "one line"}, THyphenCase{"a \nb\n\n", "a \nb\n\n"},
        // Ordinary hyphenation: the hyphen and the line break go, the rest of the line stays below.
        THyphenCase{"an exam-\nple of it\nend", "an example\nof it\nend"},
        THyphenCase{"an exam-\nple.\nend", "an example.\nend"},
        THyphenCase{"(exam- \n  ple), more", "(example),\nmore"},
        THyphenCase{"gro\xC3\x9F-\n\xC3\xA4rtig", "gro\xC3\x9F\xC3\xA4rtig"},
        THyphenCase{"exam\xE2\x80\x90\nple", "example"}, THyphenCase{"co-\nop-\neration", "cooperation"},
        // A hyphen that belongs to the word stays.
        THyphenCase{"state-of-the-\nart design", "state-of-the-art\ndesign"},
        THyphenCase{"B2B-\nsales", "B2B-sales"}, THyphenCase{"x-\nray2", "x-ray2"},
        // Compounds of two plain words cannot be told from hyphenation: the hyphen goes.
        THyphenCase{"well-\nknown", "wellknown"},
        // No joint: a capital, a digit, an empty line, a lone dash, no letter before the hyphen.
        THyphenCase{"Anglo-\nSaxon", "Anglo-\nSaxon"}, THyphenCase{"pages 10-\n12", "pages 10-\n12"},
        THyphenCase{"exam-\n\nple", "exam-\n\nple"}, THyphenCase{"a list\n-\nitem", "a list\n-\nitem"},
        THyphenCase{"COVID19-\nrelated", "COVID19-\nrelated"}, THyphenCase{"exam-", "exam-"},
        // A soft hyphen always goes; at a line end it joins whatever word follows.
        THyphenCase{"exam\xC2\xAD\nple text", "example\ntext"}, THyphenCase{"Ox\xC2\xAD\nFord", "OxFord"},
        THyphenCase{"exam\xC2\xAD\n\nple", "exam\n\nple"}, THyphenCase{"exam\xC2\xAD", "exam"}));

} // namespace
