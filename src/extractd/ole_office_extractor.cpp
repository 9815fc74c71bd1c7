// Legacy Word and Excel files through Debian's catdoc/antiword and xls2csv, run as helpers inside
// the sandboxed child. Encrypted files are recognised and refused.
#include "extractd/ole_office_extractor.h"

#include "extractd/extract_error.h"
#include "extractd/helper_process.h"
#include "extractd/ole_file.h"
#include "extractd/zip_package.h"

namespace {

// Word keeps an "encrypted" flag in the file information block at the start of its stream.
bool IsEncryptedWord(const TOleFile &aOle)
{
    std::optional<std::string> fib = aOle.ReadStream("WordDocument");
    return fib && fib->size() > 12 && (ReadLe16(*fib, 0x0A) & 0x0100) != 0;
}

// Excel announces encryption with a FILEPASS record in the workbook's first substream.
bool IsEncryptedExcel(const TOleFile &aOle)
{
    std::optional<std::string> book = aOle.ReadStream("Workbook");
    if (!book)
        book = aOle.ReadStream("Book");
    if (!book)
        return false;
    std::size_t at = 0;
    while (at + 4 <= book->size()) {
        unsigned type = ReadLe16(*book, at);
        unsigned length = ReadLe16(*book, at + 2);
        if (type == 0x002F)
            return true;
        if (type == 0x000A) // end of the first substream
            break;
        at += 4 + length;
    }
    return false;
}

} // namespace

std::string CsvToText(const std::string &aCsv)
{
    std::string out, cell;
    bool quoted = false, lineHasCell = false;
    auto endCell = [&] {
        if (!cell.empty()) {
            if (lineHasCell)
                out += '\t';
            out += cell;
            lineHasCell = true;
        }
        cell.clear();
    };
    for (std::size_t i = 0; i < aCsv.size(); ++i) {
        char c = aCsv[i];
        if (quoted) {
            if (c == '"' && i + 1 < aCsv.size() && aCsv[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            endCell();
        } else if (c == '\n' || c == '\f') {
            endCell();
            if (lineHasCell || c == '\f')
                out += '\n';
            lineHasCell = false;
        } else if (c != '\r') {
            cell += c;
        }
    }
    endCell();
    return out;
}

void TOleOfficeExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TOleFile ole(aDocument.Bytes);
    const std::uint64_t limit = ZipBudget(aDocument.Bytes.size());
    std::string text;
    if (fType == TDocType::dtDoc) {
        if (IsEncryptedWord(ole))
            ThrowEncrypted("the Word document is encrypted");
        // catdoc also gives headers, footers and text boxes; antiword reads some files it cannot.
        THelperResult result = RunHelper("catdoc", {"-w", "-d", "utf-8"}, aDocument.Bytes, limit);
        if (!result.Ran || result.ExitCode != 0 ||
            result.Output.find_first_not_of(" \t\r\n") == std::string::npos)
            result = RunHelper("antiword", {"-m", "UTF-8.txt", "-w", "0"}, aDocument.Bytes, limit);
        if (!result.Ran || result.ExitCode != 0)
            ThrowCorrupt("the Word document cannot be read");
        text = JoinSurrogates(result.Output);
    } else if (fType == TDocType::dtXls) {
        if (IsEncryptedExcel(ole))
            ThrowEncrypted("the workbook is encrypted");
        THelperResult result = RunHelper("xls2csv", {"-d", "utf-8"}, aDocument.Bytes, limit);
        if (!result.Ran || result.ExitCode != 0)
            ThrowCorrupt("the workbook cannot be read");
        text = CsvToText(JoinSurrogates(result.Output));
    }
    aContext.Sink().Append(text);
    aContext.Sink().EndLine();
}
