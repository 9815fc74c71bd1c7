// Content matching: text match on the extracted text, raw byte search in chunks with a
// carried-over tail, and the skip list.
#include "content/content_matching.h"

#include "content/text_extraction.h"
#include "platform/ansi_code_page.h"
#include "platform/file_access.h"
#include "platform/lower_case.h"
#include "threads/run_context.h"

#include <algorithm>
#include <cstring>
#include <vector>

bool IsSkippedExtension(QStringView aExt)
{
    const QString lowered = LowerCasePerUnit(aExt);
    return std::find(SkippedExtensions.begin(), SkippedExtensions.end(), QStringView(lowered)) !=
           SkippedExtensions.end();
}

int32_t PosIgnoreCase(QStringView aText, QStringView aNeedle)
{
    if (aText.isEmpty() || aNeedle.isEmpty() || aNeedle.size() > aText.size())
        return 0;
    // Compares unit by unit on the fly rather than lowering a copy of a text of megabytes.
    const QString needle = LowerCasePerUnit(aNeedle);
    const char16_t *text = aText.utf16();
    const auto *lowered = reinterpret_cast<const char16_t *>(needle.utf16());
    const qsizetype m = needle.size();
    const qsizetype last = std::min<qsizetype>(aText.size() - m, INT32_MAX - 1);
    for (qsizetype i = 0; i <= last; ++i) {
        if (LowerCaseUnit(text[i]) != lowered[0])
            continue;
        qsizetype k = 1;
        while (k < m && LowerCaseUnit(text[i + k]) == lowered[k])
            ++k;
        if (k == m)
            return int32_t(i + 1);
    }
    return 0;
}

bool IsAsciiText(QStringView aText)
{
    return std::all_of(aText.begin(), aText.end(), [](QChar aUnit) { return aUnit.unicode() <= 127; });
}

int32_t FindBytes(QByteArrayView aHaystack, QByteArrayView aNeedle)
{
    if (aNeedle.isEmpty() || aNeedle.size() > aHaystack.size())
        return -1;
    const void *found =
        ::memmem(aHaystack.data(), size_t(aHaystack.size()), aNeedle.data(), size_t(aNeedle.size()));
    if (found == nullptr)
        return -1;
    const qsizetype index = static_cast<const char *>(found) - aHaystack.data();
    return index > INT32_MAX ? -1 : int32_t(index);
}

bool ContainsBytesIgnoreAsciiCase(QByteArrayView aHaystack, QByteArrayView aNeedle)
{
    const qsizetype m = aNeedle.size();
    if (m == 0 || m > aHaystack.size())
        return false;
    const auto *haystack = reinterpret_cast<const uint8_t *>(aHaystack.data());
    const auto *needle = reinterpret_cast<const uint8_t *>(aNeedle.data());
    auto lower = [](uint8_t b) { return (b >= 'A' && b <= 'Z') ? uint8_t(b + 32) : b; };
    const uint8_t first = needle[0];
    // The only haystack bytes that can stand for the needle's first byte.
    const uint8_t firstUpper = (first >= 'a' && first <= 'z') ? uint8_t(first - 32) : first;
    const qsizetype last = aHaystack.size() - m;
    for (qsizetype i = 0; i <= last; ++i) {
        if (haystack[i] != first && haystack[i] != firstUpper)
            continue;
        qsizetype k = 1;
        while (k < m && lower(haystack[i + k]) == needle[k])
            ++k;
        if (k == m)
            return true;
    }
    return false;
}

std::atomic<bool> &SearchUnrecognizedFormats()
{
    return RunContext().SearchUnrecognizedFormats;
}

namespace {

// Reads the whole file in chunks, keeping the last (pattern length - 1) bytes of each step in
// front of the next chunk so that a match across a chunk border is found.
bool RawFileContains(const QString &pPath, const QByteArray &aPattern, bool aAsciiIgnoreCase)
{
    QString errorText;
    std::optional<TFileStream> file = OpenFileForReading(pPath, errorText);
    if (!file)
        return false;
    const qsizetype keep = std::max<qsizetype>(aPattern.size() - 1, 0);
    std::vector<char> combined(size_t(keep + RawSearchChunkBytes));
    qsizetype tailSize = 0;
    for (;;) {
        const int64_t got = file->Read(combined.data() + tailSize, RawSearchChunkBytes);
        if (got <= 0)
            return false;
        const qsizetype size = tailSize + qsizetype(got);
        const QByteArrayView view(combined.data(), size);
        const bool found =
            aAsciiIgnoreCase ? ContainsBytesIgnoreAsciiCase(view, aPattern) : FindBytes(view, aPattern) >= 0;
        if (found)
            return true;
        if (keep > 0) {
            const qsizetype newTail = std::min(size, keep);
            std::memmove(combined.data(), combined.data() + size - newTail, size_t(newTail));
            tailSize = newTail;
        }
    }
}

} // namespace

namespace {

// The text match of a plain-text file. Text that is ASCII throughout is its own decoding, and
// ASCII units lower-case to ASCII, so such text is searched as bytes without decoding it; that
// gives the same answer as decoding and PosIgnoreCase.
bool PlainTextFileContains(const QString &pPath, const QString &aNeedle)
{
    QByteArray bytes;
    if (!ReadPlainTextBytes(pPath, MaxPlainTextBytes, bytes))
        return false;
    const qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const QByteArrayView text = QByteArrayView(bytes).sliced(start);
    const bool ascii = std::all_of(text.begin(), text.end(), [](char aByte) { return uchar(aByte) < 0x80; });
    if (!ascii || 2 * text.count('?') > text.size())
        return PosIgnoreCase(DecodePlainText(bytes), aNeedle) > 0;
    const QString needle = LowerCasePerUnit(aNeedle);
    return IsAsciiText(needle) && ContainsBytesIgnoreAsciiCase(text, needle.toLatin1());
}

} // namespace

bool FileContainsText(const QString &pPath, const QString &aNeedle, const TExtractionServerAddress &aServer)
{
    if (aNeedle.isEmpty())
        return false;
    try {
        if (!FileExists(pPath))
            return false;
        if (IsPlainTextExtension(ExtractFileExt(pPath))) {
            if (PlainTextFileContains(pPath, aNeedle))
                return true;
        } else {
            QString text;
            if (ExtractFileText(pPath, MaxPlainTextBytes, text, aServer) && PosIgnoreCase(text, aNeedle) > 0)
                return true;
        }
    } catch (...) {
        return false;
    }
    if (!SearchUnrecognizedFormats().load())
        return false;
    try {
        const bool ascii = IsAsciiText(aNeedle);
        QByteArray pattern = ascii ? TextToUtf8(aNeedle) : TextToAnsi(aNeedle);
        if (pattern.isEmpty())
            return false;
        if (ascii)
            pattern = pattern.toLower(); // ASCII only: A to Z become a to z
        return RawFileContains(pPath, pattern, ascii);
    } catch (...) {
        return false;
    }
}
