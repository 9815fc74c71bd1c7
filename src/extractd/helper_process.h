// Runs one of Debian's converters (antiword, catdoc, xls2csv) on a document inside the
// sandboxed child, so that it shares the child's limits and dies with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct THelperResult
{
    bool Ran = false; // the program could be started and ended normally
    int ExitCode = -1;
    std::string Output; // what it wrote on standard output
};

// Runs aProgram with aArgs followed by the path of a file holding aBytes; its standard error
// is discarded. Reading stops beyond aMaxOutput bytes (TExtractError(ekBomb) is thrown).
// Runs in the sandboxed child only.
THelperResult RunHelper(const std::string &aProgram, const std::vector<std::string> &aArgs,
                        std::string_view aBytes, std::uint64_t aMaxOutput);

// Repairs text in which characters beyond U+FFFF arrive as two encoded UTF-16 surrogates
// (CESU-8) into proper UTF-8.
std::string JoinSurrogates(const std::string &aText);
