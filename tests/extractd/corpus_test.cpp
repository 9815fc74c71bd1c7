// Every row of the shared corpus's expected.tsv and expected_status.tsv through a real server.
#include "server_process.h"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {

std::vector<std::vector<std::string>> ReadTsv(const std::string &aName)
{
    std::vector<std::vector<std::string>> rows;
    std::string dir = CorpusDir();
    if (dir.empty())
        return rows;
    std::istringstream in(ReadFileBytes(dir + "/" + aName));
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        std::vector<std::string> fields;
        std::size_t start = 0;
        while (true) {
            std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

struct TRow
{
    int Line = 0;
    std::vector<std::string> Fields;
};

void PrintTo(const TRow &aRow, std::ostream *aOut)
{
    *aOut << "line " << aRow.Line;
}

std::vector<TRow> Rows(const std::string &aName)
{
    std::vector<TRow> rows;
    int line = 2;
    for (auto &fields : ReadTsv(aName))
        rows.push_back(TRow{line++, fields});
    if (rows.empty())
        rows.push_back(TRow{0, {}}); // one placeholder that skips when the corpus is absent
    return rows;
}

// The header line "Name: value" of an expected_status.tsv row ("-" for none).
httplib::Headers HeaderOf(const std::string &aField)
{
    httplib::Headers headers;
    std::size_t colon = aField.find(": ");
    if (aField != "-" && colon != std::string::npos)
        headers.emplace(aField.substr(0, colon), aField.substr(colon + 2));
    return headers;
}

// For a document that needs a password, the header that expected_status.tsv gives with 200.
httplib::Headers PasswordHeadersFor(const std::string &aFile)
{
    for (const auto &fields : ReadTsv("expected_status.tsv"))
        if (fields.size() > 2 && fields[0] == aFile && fields[2] == "200" && fields[1] != "-")
            return HeaderOf(fields[1]);
    return {};
}

// The text between the first pair of single quotes of aText.
std::string Quoted(const std::string &aText)
{
    std::size_t first = aText.find('\'');
    std::size_t last = aText.rfind('\'');
    return first == std::string::npos || last <= first ? std::string()
                                                       : aText.substr(first + 1, last - first - 1);
}

std::string RowName(const testing::TestParamInfo<TRow> &aInfo)
{
    if (aInfo.param.Fields.empty())
        return "CorpusAbsent";
    std::string name = "Line" + std::to_string(aInfo.param.Line) + "_" + aInfo.param.Fields[0];
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class ExpectedText : public testing::TestWithParam<TRow>
{
};

TEST_P(ExpectedText, SnippetIsInTheText)
{
    const TRow &row = GetParam();
    if (row.Fields.empty())
        GTEST_SKIP() << "the shared corpus is absent";
    ASSERT_GE(row.Fields.size(), 4u);
    const std::string &file = row.Fields[0];
    const std::string &snippet = row.Fields[1];
    const std::string &match = row.Fields[3];
    TServerProcess server({"--workers", "1"});
    auto result = server.Put(ReadFileBytes(CorpusDir() + "/" + file), PasswordHeadersFor(file));
    ASSERT_TRUE(result) << "no answer for " << file;
    ASSERT_EQ(result->status, 200) << file;
    if (match == "contains")
        EXPECT_NE(result->body.find(snippet), std::string::npos) << file << " lacks '" << snippet << "' in:\n"
                                                                 << result->body.substr(0, 4000);
    else
        EXPECT_NE(CollapseSpaces(result->body).find(CollapseSpaces(snippet)), std::string::npos)
            << file << " lacks '" << snippet << "' in:\n"
            << result->body.substr(0, 4000);
}

INSTANTIATE_TEST_SUITE_P(Corpus, ExpectedText, testing::ValuesIn(Rows("expected.tsv")), RowName);

class ExpectedStatus : public testing::TestWithParam<TRow>
{
};

TEST_P(ExpectedStatus, StatusAndBody)
{
    const TRow &row = GetParam();
    if (row.Fields.empty())
        GTEST_SKIP() << "the shared corpus is absent";
    ASSERT_GE(row.Fields.size(), 4u);
    const std::string &request = row.Fields[0];
    int status = std::atoi(row.Fields[2].c_str());
    const std::string &expectation = row.Fields[3];
    TServerProcess server({"--workers", "1"});
    if (request.starts_with("GET ")) {
        auto result = server.Client()->Get(request.substr(4));
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, status);
        if (request == "GET /tika")
            EXPECT_TRUE(result->body.ends_with("Please PUT\n")) << result->body;
        else
            EXPECT_FALSE(result->body.empty());
        return;
    }
    auto result = server.Put(ReadFileBytes(CorpusDir() + "/" + request), HeaderOf(row.Fields[1]));
    ASSERT_TRUE(result) << "no answer for " << request;
    EXPECT_EQ(result->status, status) << request << " " << expectation;
    if (status == 200 && expectation.find("contains") != std::string::npos) {
        EXPECT_NE(result->body.find(Quoted(expectation)), std::string::npos) << result->body.substr(0, 2000);
    }
    if (request == "unknown.bin") {
        EXPECT_EQ(CollapseSpaces(result->body), "");
    }
    EXPECT_TRUE(server.Client()->Get("/tika")) << "server gone after " << request;
    ExpectNothingLeftBehind(server, 1);
}

INSTANTIATE_TEST_SUITE_P(Corpus, ExpectedStatus, testing::ValuesIn(Rows("expected_status.tsv")), RowName);

} // namespace
