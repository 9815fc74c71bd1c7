// Direct reading of plain-text files in their encoding; other files, and RTF, go to the extraction
// server.
#include "content/text_extraction.h"

#include "content/plain_text_decoder.h"
#include "platform/file_access.h"

#include <algorithm>

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
    // Blocks of a fixed size without an early exit inside, so the compiler can use vector
    // instructions: this runs on the first bytes of every plain-text file a search reads.
    constexpr int64_t kBlock = 64;
    const auto isControl = [](uint8_t b) {
        return uint8_t((b < 0x20) & (b != 0x09) & (b != 0x0A) & (b != 0x0D));
    };
    int64_t controls = 0;
    int64_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        uint8_t zeros = 0;
        uint8_t blockControls = 0;
        for (int64_t j = 0; j < kBlock; ++j) {
            const uint8_t b = bytes[i + j];
            zeros |= uint8_t(b == 0);
            blockControls += isControl(b);
        }
        if (zeros)
            return false;
        controls += blockControls;
    }
    for (; i < count; ++i) {
        if (bytes[i] == 0)
            return false;
        controls += isControl(bytes[i]);
    }
    return controls * 100 / count < 30;
}

QString DecodePlainText(QByteArrayView aBytes, bool aWhole)
{
    TPlainTextDecoder decoder(aBytes, aWhole);
    qsizetype consumed = 0;
    return decoder.Decode(aBytes.sliced(decoder.IsText() ? decoder.Encoding().fMarkLength : 0), aWhole,
                          consumed);
}

bool IsRtfText(QByteArrayView aHead)
{
    return aHead.startsWith("{\\rtf");
}

namespace {

// Reads at most MaxBytes bytes (2097152 when 0 or less) from the start of the file into Bytes;
// aWhole tells whether they are all of it. False, with Bytes empty, when the file cannot be opened
// or read, or is empty.
bool ReadPlainTextBytes(const QString &pPath, int32_t aMaxBytes, QByteArray &aBytes, bool &aWhole)
{
    aBytes.clear();
    QString errorText;
    std::optional<TFileStream> file = OpenFileForReading(pPath, errorText);
    if (!file || file->Size() <= 0)
        return false;
    const int64_t limit = aMaxBytes <= 0 ? MaxPlainTextBytes : aMaxBytes;
    const int64_t n = std::min(file->Size(), limit);
    aWhole = n == file->Size();
    // A file that turns out shorter than its size leaves zero bytes at the end.
    aBytes = QByteArray(n, '\0');
    if (file->Read(aBytes.data(), n) < 0) {
        aBytes.clear();
        return false;
    }
    return true;
}

} // namespace

bool ExtractFileText(const QString &pPath, int32_t aMaxBytes, QString &aText, const TDocumentSource &aSource,
                     TDocumentFailure *aFailure, TTextOrigin *aOrigin)
{
    aText.clear();
    TDocumentFailure unused;
    TDocumentFailure &failure = aFailure ? *aFailure : unused;
    failure = {};
    TTextOrigin unusedOrigin;
    TTextOrigin &origin = aOrigin ? *aOrigin : unusedOrigin;
    origin = TTextOrigin::toPlainText;
    try {
        if (!FileExists(pPath))
            return false;
        QByteArray bytes;
        bool whole = true;
        const bool plainText = IsPlainTextExtension(ExtractFileExt(pPath));
        if (plainText && !ReadPlainTextBytes(pPath, aMaxBytes, bytes, whole)) {
            // Told apart from an empty file: one that cannot be opened at all.
            QString errorText;
            if (!OpenFileForReading(pPath, errorText))
                failure = {TDocumentProblem::UnreadableFile, errorText};
            return false;
        }
        if (!plainText || IsRtfText(bytes)) {
            origin = TTextOrigin::toDocument;
            return aSource.Extract(pPath, aText, failure);
        }
        aText = DecodePlainText(bytes, whole);
        return !aText.isEmpty();
    } catch (...) {
        aText.clear();
        return false;
    }
}
