// Excel 97-2003 workbooks read natively from their BIFF8 records: sheet names, every cell
// (shared strings, numbers, dates, the results of formulas), notes and text boxes, headers
// and footers. Older workbooks (BIFF5 and before) go through xls2csv.
#include "extractd/xls_extractor.h"

#include "extractd/document_properties.h"
#include "extractd/extract_error.h"
#include "extractd/ole_file.h"
#include "extractd/ole_office_extractor.h"
#include "extractd/text_decoder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace {

enum : std::uint16_t
{
    rtFormula = 0x0006,
    rtEof = 0x000A,
    rtHeader = 0x0014,
    rtFooter = 0x0015,
    rtDateMode = 0x0022,
    rtFilePass = 0x002F,
    rtContinue = 0x003C,
    rtBoundSheet = 0x0085,
    rtMulRk = 0x00BD,
    rtXf = 0x00E0,
    rtSst = 0x00FC,
    rtLabelSst = 0x00FD,
    rtTxo = 0x01B6,
    rtNumber = 0x0203,
    rtLabel = 0x0204,
    rtBoolErr = 0x0205,
    rtString = 0x0207,
    rtRk = 0x027E,
    rtFormat = 0x041E,
    rtBof = 0x0809,
};

// A record with the CONTINUE records that follow it joined to its data; Breaks are the offsets
// in Data where a CONTINUE began (a string cut there goes on with a new option byte).
struct TBiffRecord
{
    std::uint16_t Type = 0;
    std::size_t Offset = 0; // of the record's header in the stream
    std::string Data;
    std::vector<std::size_t> Breaks;
};

std::vector<TBiffRecord> ReadRecords(std::string_view aStream)
{
    std::vector<TBiffRecord> records;
    std::size_t at = 0;
    while (at + 4 <= aStream.size()) {
        std::uint16_t type = ReadLe16(aStream, at);
        std::size_t length = std::min<std::size_t>(ReadLe16(aStream, at + 2), aStream.size() - at - 4);
        std::string_view data = aStream.substr(at + 4, length);
        if (type == rtContinue && !records.empty()) {
            records.back().Breaks.push_back(records.back().Data.size());
            records.back().Data.append(data);
        } else {
            records.push_back(TBiffRecord{type, at, std::string(data), {}});
        }
        at += 4 + length;
    }
    return records;
}

// Reads a string of aChars characters whose option byte stands at aAt (XLUnicodeString and
// its rich and extended forms); aAt ends after the string's formatting data.
std::string ReadChars(const TBiffRecord &aRecord, std::size_t &aAt, std::size_t aChars)
{
    const std::string &data = aRecord.Data;
    if (aAt >= data.size())
        return {};
    unsigned char flags = static_cast<unsigned char>(data[aAt++]);
    bool wide = flags & 0x01;
    std::size_t runs = 0, extra = 0;
    if (flags & 0x08) {
        runs = ReadLe16(data, aAt);
        aAt += 2;
    }
    if (flags & 0x04) {
        extra = ReadLe32(data, aAt);
        aAt += 4;
    }
    std::u16string units;
    while (aChars > 0 && aAt < data.size()) {
        auto next = std::upper_bound(aRecord.Breaks.begin(), aRecord.Breaks.end(), aAt);
        std::size_t end = next == aRecord.Breaks.end() ? data.size() : *next;
        std::size_t fit = std::min(aChars, (end - aAt) / (wide ? 2 : 1));
        for (std::size_t i = 0; i < fit; ++i)
            units.push_back(wide ? static_cast<char16_t>(ReadLe16(data, aAt + 2 * i))
                                 : static_cast<char16_t>(static_cast<unsigned char>(data[aAt + i])));
        aAt += fit * (wide ? 2 : 1);
        aChars -= fit;
        if (aChars > 0) {
            if (aAt != end || aAt >= data.size())
                break;
            wide = static_cast<unsigned char>(data[aAt++]) & 0x01;
        }
    }
    aAt += runs * 4 + extra;
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t code = units[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
        else if (code >= 0xD800 && code < 0xE000)
            code = 0xFFFD;
        if (code != 0)
            AppendUtf8(out, code);
    }
    return out;
}

// A string with a 16-bit character count at aAt.
std::string ReadString16(const TBiffRecord &aRecord, std::size_t aAt)
{
    std::size_t chars = ReadLe16(aRecord.Data, aAt);
    aAt += 2;
    return ReadChars(aRecord, aAt, chars);
}

double RkValue(std::uint32_t aRk)
{
    double value = 0;
    if (aRk & 0x02) {
        value = static_cast<std::int32_t>(aRk) >> 2;
    } else {
        std::uint64_t bits = static_cast<std::uint64_t>(aRk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (aRk & 0x01) ? value / 100 : value;
}

// A number format that shows a date or a time: a built-in one, or a format string with date
// or time letters outside its quoted text and [colour] parts.
bool IsDateFormat(std::uint16_t aIndex, const std::string &aFormat)
{
    if ((aIndex >= 14 && aIndex <= 22) || (aIndex >= 45 && aIndex <= 47))
        return true;
    bool quoted = false, bracket = false;
    for (std::size_t i = 0; i < aFormat.size(); ++i) {
        char c = aFormat[i];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '[')
            bracket = true;
        else if (!quoted && c == ']')
            bracket = false;
        else if (!quoted && !bracket && c == '\\')
            ++i;
        else if (!quoted && !bracket && std::strchr("dDyYhHsS", c) != nullptr)
            return true;
    }
    return false;
}

std::string FormatNumber(double aValue)
{
    if (!std::isfinite(aValue))
        return {};
    char text[64];
    if (aValue == std::floor(aValue) && std::fabs(aValue) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", aValue);
    else
        std::snprintf(text, sizeof text, "%.15g", aValue);
    return text;
}

// A date serial number as "YYYY-MM-DD", with " HH:MM:SS" when it has a time of day.
std::string FormatDate(double aSerial, bool a1904)
{
    if (!std::isfinite(aSerial) || aSerial < 0 || aSerial > 2958466)
        return FormatNumber(aSerial);
    long days = static_cast<long>(std::floor(aSerial));
    long seconds = std::lround((aSerial - days) * 86400);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    // Days since 1970-01-01; the 1900 system counts a 29 February 1900 that never was.
    long z = a1904 ? days - 24107 : days - (days < 61 ? 25568 : 25569);
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long day = doy - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yoe + era * 400 + (month <= 2);
    char text[128];
    if (seconds == 0)
        std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
    else
        std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld %02ld:%02ld:%02ld", year, month, day,
                      seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// Header and footer strings hold codes such as &P (page) or &"Arial,Bold"; the text stays.
std::string StripHeaderCodes(const std::string &aText)
{
    std::string out;
    for (std::size_t i = 0; i < aText.size(); ++i) {
        if (aText[i] != '&') {
            out += aText[i];
        } else if (i + 1 < aText.size() && aText[i + 1] == '&') {
            out += '&';
            ++i;
        } else if (i + 1 < aText.size() && aText[i + 1] == '"') {
            std::size_t close = aText.find('"', i + 2);
            i = close == std::string::npos ? aText.size() : close;
        } else {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
            ++i;
            while (i + 1 < aText.size() && std::isdigit(static_cast<unsigned char>(aText[i + 1])))
                ++i;
        }
    }
    std::size_t first = out.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : out.substr(first, out.find_last_not_of(' ') - first + 1);
}

class TWorkbookWriter
{
public:
    explicit TWorkbookWriter(TTextSink &aSink) : fSink(aSink) {}

    void Run(const std::vector<TBiffRecord> &aRecords)
    {
        int depth = 0;
        bool globals = true;
        bool pendingString = false;
        std::pair<unsigned, unsigned> pendingCell;
        for (const TBiffRecord &record : aRecords) {
            const std::string &d = record.Data;
            if (record.Type == rtBof) {
                if (++depth == 1 && !globals)
                    StartSheet(record.Offset);
                continue;
            }
            if (record.Type == rtEof) {
                if (--depth == 0) {
                    if (!globals)
                        EndSheet();
                    globals = false;
                }
                continue;
            }
            if (depth != 1)
                continue; // charts inside a sheet
            if (globals) {
                Global(record);
                continue;
            }
            const unsigned row = ReadLe16(d, 0), col = ReadLe16(d, 2);
            switch (record.Type) {
            case rtLabelSst: {
                std::uint32_t index = ReadLe32(d, 6);
                if (index < fStrings.size())
                    Cell(row, col, fStrings[index]);
                break;
            }
            case rtLabel:
                Cell(row, col, ReadString16(record, 6));
                break;
            case rtNumber:
                if (d.size() >= 14) {
                    double value = 0;
                    std::memcpy(&value, d.data() + 6, sizeof value);
                    Cell(row, col, Number(ReadLe16(d, 4), value));
                }
                break;
            case rtRk:
                Cell(row, col, Number(ReadLe16(d, 4), RkValue(ReadLe32(d, 6))));
                break;
            case rtMulRk:
                for (std::size_t at = 4, c = col; at + 6 + 2 <= d.size(); at += 6, ++c)
                    Cell(row, static_cast<unsigned>(c),
                         Number(ReadLe16(d, at), RkValue(ReadLe32(d, at + 2))));
                break;
            case rtBoolErr:
                if (d.size() >= 8 && d[7] == 0)
                    Cell(row, col, d[6] != 0 ? "TRUE" : "FALSE");
                break;
            case rtFormula:
                if (d.size() < 14)
                    break;
                if (ReadLe16(d, 12) != 0xFFFF) {
                    double value = 0;
                    std::memcpy(&value, d.data() + 6, sizeof value);
                    Cell(row, col, Number(ReadLe16(d, 4), value));
                } else if (d[6] == 0) {
                    pendingString = true; // the result follows in a STRING record
                    pendingCell = {row, col};
                } else if (d[6] == 1) {
                    Cell(row, col, d[8] != 0 ? "TRUE" : "FALSE");
                }
                break;
            case rtString:
                if (pendingString)
                    Cell(pendingCell.first, pendingCell.second, ReadString16(record, 0));
                pendingString = false;
                break;
            case rtTxo:
                if (!record.Breaks.empty()) {
                    std::size_t at = record.Breaks.front();
                    std::string text = ReadChars(record, at, ReadLe16(d, 10));
                    if (!text.empty())
                        fNotes.push_back(text);
                }
                break;
            case rtHeader:
            case rtFooter:
                if (!d.empty())
                    fNotes.push_back(StripHeaderCodes(ReadString16(record, 0)));
                break;
            default:
                break;
            }
        }
    }

private:
    void Global(const TBiffRecord &aRecord)
    {
        const std::string &d = aRecord.Data;
        switch (aRecord.Type) {
        case rtSst: {
            std::uint32_t count = ReadLe32(d, 4);
            std::size_t at = 8;
            for (std::uint32_t i = 0; i < count && at + 3 <= d.size(); ++i) {
                std::size_t chars = ReadLe16(d, at);
                at += 2;
                fStrings.push_back(ReadChars(aRecord, at, chars));
            }
            break;
        }
        case rtBoundSheet: {
            std::size_t at = 7;
            fSheetNames[ReadLe32(d, 0)] =
                ReadChars(aRecord, at, d.size() > 6 ? static_cast<unsigned char>(d[6]) : 0);
            break;
        }
        case rtFormat:
            fFormats[ReadLe16(d, 0)] = ReadString16(aRecord, 2);
            break;
        case rtXf:
            fXfFormats.push_back(ReadLe16(d, 2));
            break;
        case rtDateMode:
            f1904 = ReadLe16(d, 0) == 1;
            break;
        default:
            break;
        }
    }

    std::string Number(std::uint16_t aXf, double aValue) const
    {
        if (aXf < fXfFormats.size()) {
            std::uint16_t format = fXfFormats[aXf];
            auto custom = fFormats.find(format);
            if (IsDateFormat(format, custom == fFormats.end() ? std::string() : custom->second))
                return FormatDate(aValue, f1904);
        }
        return FormatNumber(aValue);
    }

    void Cell(unsigned aRow, unsigned aCol, std::string aText)
    {
        if (!aText.empty())
            fCells[{aRow, aCol}] = std::move(aText);
    }

    void StartSheet(std::size_t aOffset)
    {
        fCells.clear();
        fNotes.clear();
        auto name = fSheetNames.find(aOffset);
        fSink.EndLine();
        if (name != fSheetNames.end() && !name->second.empty()) {
            fSink.Append(name->second);
            fSink.EndLine();
        }
    }

    void EndSheet()
    {
        unsigned row = 0;
        bool first = true;
        for (const auto &[at, text] : fCells) {
            if (!first && at.first != row)
                fSink.EndLine();
            else if (!first)
                fSink.Append("\t");
            fSink.Append(text);
            row = at.first;
            first = false;
        }
        fSink.EndLine();
        for (const std::string &note : fNotes) {
            fSink.Append(note);
            fSink.EndLine();
        }
    }

    TTextSink &fSink;
    std::vector<std::string> fStrings;
    std::map<std::uint32_t, std::string> fSheetNames; // by the offset of the sheet's BOF
    std::map<std::uint16_t, std::string> fFormats;
    std::vector<std::uint16_t> fXfFormats;
    bool f1904 = false;
    std::map<std::pair<unsigned, unsigned>, std::string> fCells;
    std::vector<std::string> fNotes;
};

} // namespace

bool WriteBiff8Workbook(std::string_view aWorkbook, TTextSink &aSink)
{
    if (ReadLe16(aWorkbook, 0) != rtBof || ReadLe16(aWorkbook, 4) != 0x0600)
        return false;
    std::vector<TBiffRecord> records = ReadRecords(aWorkbook);
    for (const TBiffRecord &record : records) {
        if (record.Type == rtFilePass)
            ThrowEncrypted("the workbook is encrypted");
        if (record.Type == rtEof)
            break;
    }
    TWorkbookWriter(aSink).Run(records);
    return true;
}

void TXlsExtractor::Extract(const TDocument &aDocument, TExtractContext &aContext)
{
    TOleFile ole(aDocument.Bytes);
    std::optional<std::string> book = ole.ReadStream("Workbook", 1ull << 30);
    ReadSummaryInformation(ole).Write(aContext.Sink());
    if (!book || !WriteBiff8Workbook(*book, aContext.Sink()))
        TOleOfficeExtractor(TDocType::dtXls).Extract(aDocument, aContext);
}
