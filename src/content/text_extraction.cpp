// Direct reading of plain-text files with the text test, the lenient decoder and the ANSI
// fallback; other files go to the extraction server.
#include "content/text_extraction.h"

#include "platform/ansi_code_page.h"
#include "platform/file_access.h"

#include <algorithm>
#include <cstring>

QString ExtractFileExt(QStringView pPath)
{
    const qsizetype nameStart = pPath.lastIndexOf(u'/') + 1;
    const qsizetype dot = pPath.lastIndexOf(u'.');
    if (dot < nameStart)
        return {};
    return pPath.mid(dot).toString();
}

bool IsPlainTextExtension(QStringView aExt)
{
    return std::any_of(PlainTextExtensions.begin(), PlainTextExtensions.end(), [aExt](QStringView aEntry) {
        if (aEntry.size() != aExt.size())
            return false;
        for (qsizetype i = 0; i < aExt.size(); ++i) {
            char16_t unit = aExt[i].unicode();
            if (unit >= u'A' && unit <= u'Z')
                unit += 32;
            if (unit != aEntry[i].unicode())
                return false;
        }
        return true;
    });
}

bool LooksLikeText(QByteArrayView aBytes, int32_t aCount)
{
    const int64_t count = std::min<int64_t>(aCount, aBytes.size());
    if (count <= 0)
        return false;
    const auto *bytes = reinterpret_cast<const uint8_t *>(aBytes.data());
    int64_t controls = 0;
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (b == 0)
            return false;
        if (b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D)
            ++controls;
    }
    return controls * 100 / count < 30;
}

QString DecodeUtf8Lenient(QByteArrayView aBytes, int32_t aStart, int32_t aCount)
{
    const int64_t start = std::clamp<int64_t>(aStart, 0, aBytes.size());
    const int64_t end = start + std::min<int64_t>(aCount, aBytes.size() - start);
    if (end <= start)
        return {};
    const auto *bytes = reinterpret_cast<const uint8_t *>(aBytes.data());
    QString text(end - start, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    char16_t *const outStart = out;
    auto isTail = [bytes](int64_t aIndex) { return (bytes[aIndex] & 0xC0) == 0x80; };
    int64_t i = start;
    while (i < end) {
        // Runs of ASCII, eight bytes at a time.
        while (end - i >= 8) {
            uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if (word & 0x8080808080808080ULL)
                break;
            for (int k = 0; k < 8; ++k)
                out[k] = bytes[i + k];
            out += 8;
            i += 8;
        }
        if (i >= end)
            break;
        const uint8_t b = bytes[i];
        if (b < 0x80) {
            *out++ = b;
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < end && isTail(i + 1)) {
            *out++ = char16_t(((b & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && i + 2 < end && isTail(i + 1) && isTail(i + 2)) {
            *out++ = char16_t(((b & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F));
            i += 3;
        } else if ((b & 0xF8) == 0xF0 && i + 3 < end && isTail(i + 1) && isTail(i + 2) && isTail(i + 3)) {
            *out++ = u'?';
            i += 4;
        } else {
            *out++ = u'?';
            i += 1;
        }
    }
    text.truncate(out - outStart);
    return text;
}

bool ReadPlainTextBytes(const QString &pPath, int32_t aMaxBytes, QByteArray &aBytes)
{
    aBytes.clear();
    try {
        QString errorText;
        std::optional<TFileStream> file = OpenFileForReading(pPath, errorText);
        if (!file || file->Size() <= 0)
            return false;
        const int64_t limit = aMaxBytes <= 0 ? MaxPlainTextBytes : aMaxBytes;
        const int64_t n = std::min(file->Size(), limit);
        // A file that turns out shorter than its size leaves zero bytes at the end.
        aBytes = QByteArray(n, '\0');
        if (file->Read(aBytes.data(), n) < 0 ||
            !LooksLikeText(aBytes, std::min<int32_t>(int32_t(n), TextTestSampleBytes))) {
            aBytes.clear();
            return false;
        }
        return true;
    } catch (...) {
        aBytes.clear();
        return false;
    }
}

QString DecodePlainText(const QByteArray &aBytes)
{
    const qsizetype n = aBytes.size();
    const bool hasBom = n >= 3 && aBytes.startsWith("\xEF\xBB\xBF");
    QString text =
        hasBom ? DecodeUtf8Lenient(aBytes, 3, int32_t(n - 3)) : DecodeUtf8Lenient(aBytes, 0, int32_t(n));
    if (!text.isEmpty() && 2 * text.count(u'?') > text.size())
        text = AnsiToText(aBytes);
    return text;
}

bool ExtractFileText(const QString &pPath, int32_t aMaxBytes, QString &aText, const TDocumentSource &aSource,
                     TDocumentFailure *aFailure)
{
    aText.clear();
    TDocumentFailure unused;
    TDocumentFailure &failure = aFailure ? *aFailure : unused;
    failure = {};
    try {
        if (!FileExists(pPath))
            return false;
        if (!IsPlainTextExtension(ExtractFileExt(pPath)))
            return aSource.Extract(pPath, aText, failure);
        QByteArray bytes;
        if (!ReadPlainTextBytes(pPath, aMaxBytes, bytes)) {
            // Told apart from an empty or binary file: one that cannot be opened at all.
            QString errorText;
            if (!OpenFileForReading(pPath, errorText))
                failure = {TDocumentProblem::UnreadableFile, errorText};
            return false;
        }
        aText = DecodePlainText(bytes);
        return !aText.isEmpty();
    } catch (...) {
        aText.clear();
        return false;
    }
}
