// Content matching: text match on the extracted text, raw byte search in chunks with a
// carried-over tail, and the skip list.
#include "content/content_matching.h"

#include "content/plain_text_decoder.h"
#include "content/spaced_text_match.h"
#include "content/text_extraction.h"
#include "content/text_matcher.h"
#include "content/utf8_text_finder.h"
#include "platform/ansi_code_page.h"
#include "platform/file_access.h"
#include "platform/lower_case.h"
#include "threads/run_context.h"

#include <algorithm>
#include <cstring>
#include <functional>
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

bool IsCancelled(const ICancellationIndicator *aCancel)
{
    return aCancel && aCancel->IsCancellationRequested();
}

// Reads the whole file in chunks, keeping the last (pattern length - 1) bytes of each step in
// front of the next chunk so that a match across a chunk border is found.
bool RawFileContains(const QString &pPath, const QByteArray &aPattern, bool aAsciiIgnoreCase,
                     const ICancellationIndicator *aCancel)
{
    QString errorText;
    std::optional<TFileStream> file = OpenFileForReading(pPath, errorText);
    if (!file)
        return false;
    const qsizetype keep = std::max<qsizetype>(aPattern.size() - 1, 0);
    std::vector<char> combined(size_t(keep + RawSearchChunkBytes));
    qsizetype tailSize = 0;
    for (;;) {
        if (IsCancelled(aCancel))
            return false;
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

// A plain-text file read in chunks: the bytes of the current step, with the carried-over bytes
// of the step before in front.
class TTextChunks
{
public:
    TTextChunks(TFileStream &aFile, qsizetype aCarryRoom)
        : fFile(aFile), fRemaining(aFile.Size()),
          fBuffer(size_t(std::min<int64_t>(fRemaining, MaxPlainTextBytes) + aCarryRoom))
    {
    }

    // Keeps the bytes from aKeepFrom of the current step and reads the next chunk after them.
    // False when the file has no more bytes or cannot be read.
    bool Next(qsizetype aKeepFrom)
    {
        const qsizetype kept = fSize - std::min(aKeepFrom, fSize);
        std::memmove(fBuffer.data(), fBuffer.data() + fSize - kept, size_t(kept));
        fSize = kept;
        const int64_t wanted =
            std::min<int64_t>({fRemaining, int64_t(fBuffer.size()) - kept, int64_t(MaxPlainTextBytes)});
        const int64_t got = wanted > 0 ? fFile.Read(fBuffer.data() + kept, wanted) : 0;
        if (got <= 0) {
            fRemaining = 0;
            return false;
        }
        fSize += qsizetype(got);
        // A file that grows meanwhile is read up to the size it had when it was opened.
        fRemaining = got < wanted ? 0 : fRemaining - got;
        return true;
    }
    QByteArrayView Bytes() const { return QByteArrayView(fBuffer.data(), fSize); }
    bool AtEnd() const { return fRemaining == 0; }

private:
    TFileStream &fFile;
    int64_t fRemaining;
    std::vector<char> fBuffer;
    qsizetype fSize = 0;
};

// How reading a plain-text file began.
enum class TPlainTextStart
{
    psText,
    psNoText, // empty, unreadable, or not text
    psRtf,    // RTF: a document, whose text comes from the extraction server
};

// A plain-text file read for the text match: its chunks and its decoder, decided on the first.
class TPlainTextFile
{
public:
    // aCarryRoom: bytes a step may keep in front of the next chunk.
    TPlainTextFile(const QString &pPath, qsizetype aCarryRoom, TDocumentFailure &aFailure)
    {
        QString errorText;
        fFile = OpenFileForReading(pPath, errorText);
        // One that cannot be opened is a failure, an empty one is simply no match.
        if (!fFile)
            aFailure = {TDocumentProblem::UnreadableFile, errorText};
        else if (fFile->Size() > 0)
            fChunks.emplace(*fFile, aCarryRoom);
    }

    // Reads the first chunk and decides the encoding on it.
    TPlainTextStart Start()
    {
        if (!fChunks || !fChunks->Next(0))
            return TPlainTextStart::psNoText;
        if (IsRtfText(fChunks->Bytes()))
            return TPlainTextStart::psRtf;
        fDecoder.emplace(fChunks->Bytes(), fChunks->AtEnd());
        if (!fDecoder->IsText())
            return TPlainTextStart::psNoText;
        fFrom = fDecoder->Encoding().fMarkLength;
        return TPlainTextStart::psText;
    }
    // The bytes of the current step not yet looked at, and whether they run to the file's end.
    QByteArrayView Bytes() const { return fChunks->Bytes().sliced(fFrom); }
    bool AtEnd() const { return fChunks->AtEnd(); }
    TPlainTextDecoder &Decoder() { return *fDecoder; }
    // Keeps the bytes from aKeepFrom of Bytes() and reads the next chunk after them; false at the
    // end of the file, once cancelled, or when it cannot be read.
    bool Next(qsizetype aKeepFrom, const ICancellationIndicator *aCancel)
    {
        if (fChunks->AtEnd() || IsCancelled(aCancel) || !fChunks->Next(fFrom + aKeepFrom))
            return false;
        fFrom = 0;
        return true;
    }

private:
    std::optional<TFileStream> fFile;
    std::optional<TTextChunks> fChunks;
    std::optional<TPlainTextDecoder> fDecoder;
    qsizetype fFrom = 0;
};

// What the text match of a plain-text file found.
enum class TPlainTextVerdict
{
    pvFound,
    pvNotFound,
    pvDocument, // RTF: to be asked of the extraction server
};

TPlainTextVerdict VerdictOf(TPlainTextStart aStart)
{
    return aStart == TPlainTextStart::psRtf ? TPlainTextVerdict::pvDocument : TPlainTextVerdict::pvNotFound;
}

// The text match of a plain-text file, over the whole file, in the encoding it was written in.
// UTF-8 text is searched as bytes (TUtf8TextFinder), which gives the same answer as decoding it
// and PosIgnoreCase; a needle the byte scan cannot answer for, and text in any other encoding,
// are decoded a chunk at a time, with the last units of the chunk before carried over for a
// match across the border.
TPlainTextVerdict PlainTextFileContains(const QString &pPath, const QString &aNeedle,
                                        const ICancellationIndicator *aCancel, TDocumentFailure &aFailure)
{
    // Three bytes per unit at most in UTF-8, and room for a character cut at a chunk's end.
    TPlainTextFile file(pPath, 3 * aNeedle.size() + 16, aFailure);
    if (const TPlainTextStart start = file.Start(); start != TPlainTextStart::psText)
        return VerdictOf(start);
    const TUtf8TextFinder finder(aNeedle);
    QString carried;
    for (;;) {
        const QByteArrayView bytes = file.Bytes();
        qsizetype keepFrom = 0;
        if (finder.IsUsable() && file.Decoder().KeepsUtf8(bytes)) {
            if (finder.Find(bytes, file.AtEnd(), keepFrom))
                return TPlainTextVerdict::pvFound;
            // A character cut at the chunk's end is kept whole for the next.
            keepFrom = std::min(keepFrom, CompleteUnitsEnd(bytes));
            carried.clear();
        } else {
            const QString text = carried + file.Decoder().Decode(bytes, file.AtEnd(), keepFrom);
            if (PosIgnoreCase(text, aNeedle) > 0)
                return TPlainTextVerdict::pvFound;
            carried = text.right(aNeedle.size() - 1);
        }
        if (!file.Next(keepFrom, aCancel))
            return TPlainTextVerdict::pvNotFound;
    }
}

// The matcher of this thread for a needle and options: built once and kept while the same
// search asks, since a regular expression costs far more to build than to run on one file.
const TTextMatcher &ThreadMatcher(const QString &aNeedle, const TMatchOptions &aOptions, bool aSpaced)
{
    struct TKept
    {
        QString fNeedle;
        TMatchOptions fOptions;
        std::optional<TTextMatcher> fMatcher;
    };
    thread_local TKept kept[2];
    TKept &slot = kept[aSpaced ? 1 : 0];
    if (!slot.fMatcher || slot.fNeedle != aNeedle || !(slot.fOptions == aOptions)) {
        slot.fMatcher.emplace(aNeedle, aOptions, aSpaced);
        slot.fNeedle = aNeedle;
        slot.fOptions = aOptions;
    }
    return *slot.fMatcher;
}

// A plain-text file decoded a chunk at a time, as for its preview: aStep gets the text of each
// chunk with what the step before carried over in front, and whether it is the last, and returns
// how many units at the text's end to carry into the next (negative: stop). Returns how reading
// began; once it began as text, aStep has seen the last chunk or stopped, unless cancelled.
TPlainTextStart ForEachTextChunk(const QString &pPath, const ICancellationIndicator *aCancel,
                                 TDocumentFailure &aFailure,
                                 const std::function<qsizetype(const QString &aText, bool aLast)> &aStep)
{
    TPlainTextFile file(pPath, 16, aFailure);
    const TPlainTextStart start = file.Start();
    if (start != TPlainTextStart::psText)
        return start;
    QString carried;
    for (;;) {
        qsizetype consumed = 0;
        const QString text = carried + file.Decoder().Decode(file.Bytes(), file.AtEnd(), consumed);
        const qsizetype carry = aStep(text, file.AtEnd());
        if (carry < 0 || !file.Next(consumed, aCancel))
            return start;
        carried = text.right(carry);
    }
}

// Units of the text before a chunk kept in front of it, so a match up to that long is found
// across a chunk border.
constexpr qsizetype kCarriedUnits = 4096;

// The text match of a plain-text file under match options other than the default.
TPlainTextVerdict PlainTextFileMatches(const QString &pPath, const TTextMatcher &aMatcher,
                                       const ICancellationIndicator *aCancel, TDocumentFailure &aFailure)
{
    bool found = false;
    const TPlainTextStart start = ForEachTextChunk(pPath, aCancel, aFailure, [&](const QString &aText, bool) {
        found = aMatcher.Contains(aText);
        return found ? qsizetype(-1) : kCarriedUnits;
    });
    return found ? TPlainTextVerdict::pvFound : VerdictOf(start);
}

// Fills aSummary for a plain-text file that holds the text. Each chunk is searched up to its last
// line break, the rest going in front of the next chunk, so a match within a line is counted
// once; a line longer than a chunk is cut kCarriedUnits before its end.
void SummarizePlainText(const QString &pPath, const TTextMatcher &aMatcher,
                        const ICancellationIndicator *aCancel, TMatchSummary &aSummary)
{
    qsizetype count = 0;
    TDocumentFailure unused;
    ForEachTextChunk(pPath, aCancel, unused, [&](const QString &aText, bool aLast) {
        qsizetype cut = aLast ? aText.size() : aText.lastIndexOf(u'\n') + 1;
        if (cut <= 0)
            cut = std::max<qsizetype>(aText.size() - kCarriedUnits, 0);
        const TTextMatcher::TTally tally = aMatcher.Tally(aText, cut);
        if (tally.fFirst && aSummary.fContext.isEmpty())
            aSummary.fContext = MatchContext(aText, *tally.fFirst);
        count += tally.fCount;
        return aText.size() - cut;
    });
    aSummary.fMatches = int32_t(std::min<qsizetype>(count, INT32_MAX));
}

// A found file's answer: at least one match, also where the summary's line-by-line count
// missed one that runs across a line break.
bool Found(TMatchSummary *aSummary)
{
    if (aSummary)
        aSummary->fMatches = std::max(aSummary->fMatches, 1);
    return true;
}

// The 1-based page of the unit at aPosition: one more than the form feeds before it.
int32_t PageOf(QStringView aText, qsizetype aPosition)
{
    const qsizetype end = std::clamp<qsizetype>(aPosition, 0, aText.size());
    return int32_t(std::min<qsizetype>(aText.first(end).count(u'\f') + 1, INT32_MAX));
}

bool IsContextBreak(QChar aUnit)
{
    // A form feed ends a page of a document's text, and so its line.
    return aUnit == u'\n' || aUnit == u'\r' || aUnit == u'\f' || aUnit == QChar(0x2028) ||
           aUnit == QChar(0x2029);
}

} // namespace

QString MatchContext(QStringView aText, TTextSpan aMatch)
{
    const qsizetype size = aText.size();
    const qsizetype start = std::clamp<qsizetype>(aMatch.Start, 0, size);
    qsizetype end = std::clamp<qsizetype>(aMatch.Start + aMatch.Length, start, size);
    // A match longer than the whole context is shown from its start.
    if (end - start > MatchContextUnits) {
        end = start + MatchContextUnits;
        if (aText[end - 1].isHighSurrogate())
            --end;
    }
    const qsizetype room = MatchContextUnits - (end - start);
    // The line around the match, looked for no further than the room allows on either side.
    qsizetype from = start;
    while (from > std::max<qsizetype>(start - room, 0) && !IsContextBreak(aText[from - 1]))
        --from;
    qsizetype to = end;
    while (to < std::min(end + room, size) && !IsContextBreak(aText[to]))
        ++to;
    const qsizetype before = start - from;
    const qsizetype after = to - end;
    if (before + after > room) {
        const qsizetype keepBefore = std::min(before, std::max(room / 2, room - after));
        from = start - keepBefore;
        to = end + std::min(after, room - keepBefore);
    }
    if (from < start && aText[from].isLowSurrogate())
        ++from;
    if (to > end && aText[to - 1].isHighSurrogate())
        --to;
    QString piece = aText.sliced(from, to - from).toString();
    for (QChar &unit : piece)
        if (unit.unicode() < 0x20 || unit.unicode() == 0x7F || unit.unicode() == 0x85 || IsContextBreak(unit))
            unit = u' ';
    piece = piece.simplified();
    if (from > 0 && !IsContextBreak(aText[from - 1]))
        piece.prepend(u'…');
    if (to < size && !IsContextBreak(aText[to]))
        piece.append(u'…');
    return piece;
}

bool FileContainsText(const QString &pPath, const QString &aNeedle, const TDocumentSource &aSource,
                      const ICancellationIndicator *aCancel, TDocumentFailure *aFailure,
                      const TMatchOptions &aOptions, TMatchSummary *aSummary)
{
    TDocumentFailure unused;
    TDocumentFailure &failure = aFailure ? *aFailure : unused;
    failure = {};
    if (aSummary)
        *aSummary = {};
    if (aNeedle.isEmpty())
        return false;
    try {
        if (!FileExists(pPath))
            return false;
        bool document = !IsPlainTextExtension(ExtractFileExt(pPath));
        if (!document) {
            const TTextMatcher &matcher = ThreadMatcher(aNeedle, aOptions, false);
            // The fast byte scan answers for the default options.
            const TPlainTextVerdict verdict = aOptions.IsDefault()
                                                  ? PlainTextFileContains(pPath, aNeedle, aCancel, failure)
                                                  : PlainTextFileMatches(pPath, matcher, aCancel, failure);
            if (verdict == TPlainTextVerdict::pvFound) {
                if (aSummary)
                    SummarizePlainText(pPath, matcher, aCancel, *aSummary);
                return Found(aSummary);
            }
            document = verdict == TPlainTextVerdict::pvDocument;
        }
        if (document) {
            QString text;
            const TTextMatcher &matcher = ThreadMatcher(aNeedle, aOptions, true);
            if (aSource.Extract(pPath, text, failure, aCancel) && matcher.Contains(text)) {
                if (aSummary) {
                    const TTextMatcher::TTally tally = matcher.Tally(text);
                    aSummary->fMatches = int32_t(std::min<qsizetype>(tally.fCount, INT32_MAX));
                    if (tally.fFirst) {
                        aSummary->fContext = MatchContext(text, *tally.fFirst);
                        aSummary->fPage = PageOf(text, tally.fFirst->Start);
                    }
                }
                return Found(aSummary);
            }
        }
    } catch (...) {
        failure = {TDocumentProblem::TooLarge, QStringLiteral("Error: out of memory")};
        return false;
    }
    if (IsCancelled(aCancel)) {
        failure = {};
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
        // Found in the raw bytes, the file is listed: it was not left out.
        if (RawFileContains(pPath, pattern, ascii, aCancel)) {
            failure = {};
            return true;
        }
        return false;
    } catch (...) {
        return false;
    }
}
