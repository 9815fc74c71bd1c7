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
#include <memory>
#include <optional>
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
          fCapacity(std::min<int64_t>(fRemaining, MaxPlainTextBytes) + aCarryRoom),
          fBuffer(std::make_unique_for_overwrite<char[]>(size_t(fCapacity)))
    {
    }

    // Keeps the bytes from aKeepFrom of the current step and reads the next chunk after them.
    // False when the file has no more bytes or cannot be read.
    bool Next(qsizetype aKeepFrom)
    {
        const qsizetype kept = fSize - std::min(aKeepFrom, fSize);
        std::memmove(fBuffer.get(), fBuffer.get() + fSize - kept, size_t(kept));
        fSize = kept;
        const int64_t wanted = std::min<int64_t>({fRemaining, fCapacity - kept, int64_t(MaxPlainTextBytes)});
        const int64_t got = wanted > 0 ? fFile.Read(fBuffer.get() + kept, wanted) : 0;
        if (got <= 0) {
            fRemaining = 0;
            return false;
        }
        fSize += qsizetype(got);
        // A file that grows meanwhile is read up to the size it had when it was opened.
        fRemaining = got < wanted ? 0 : fRemaining - got;
        return true;
    }
    QByteArrayView Bytes() const { return QByteArrayView(fBuffer.get(), fSize); }
    bool AtEnd() const { return fRemaining == 0; }

private:
    TFileStream &fFile;
    int64_t fRemaining;
    int64_t fCapacity;
    std::unique_ptr<char[]> fBuffer; // not cleared: only what was read is looked at
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
        // One that cannot be opened is a failure, unless it is gone (or a folder); an empty one is
        // simply no match.
        if (!fFile) {
            if (FileExists(pPath))
                aFailure = {TDocumentProblem::UnreadableFile, errorText};
        } else if (fFile->Size() > 0) {
            fChunks.emplace(*fFile, aCarryRoom);
        }
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

// The matchers of this thread for a needle and options: built once and kept while the same
// search asks, since a regular expression costs far more to build than to run on one file.
struct TThreadMatchers
{
    QString fNeedle;
    TMatchOptions fOptions;
    std::optional<TTextMatcher> fMatcher;
    // The byte scan of UTF-8 for the default options (plain text only).
    std::optional<TUtf8TextFinder> fFinder;
};

const TThreadMatchers &ThreadMatchers(const QString &aNeedle, const TMatchOptions &aOptions, bool aSpaced)
{
    thread_local TThreadMatchers kept[2];
    TThreadMatchers &slot = kept[aSpaced ? 1 : 0];
    if (!slot.fMatcher || slot.fNeedle != aNeedle || !(slot.fOptions == aOptions)) {
        slot.fMatcher.emplace(aNeedle, aOptions, aSpaced);
        slot.fFinder.reset();
        if (!aSpaced && aOptions.IsDefault())
            slot.fFinder.emplace(aNeedle);
        slot.fNeedle = aNeedle;
        slot.fOptions = aOptions;
    }
    return slot;
}

// Units of the text before a chunk kept in front of it, so a match up to that long is found
// across a chunk border.
constexpr qsizetype kCarriedUnits = 4096;

// The matches of a plain-text file's decoded text, chunk by chunk from the one that held the first
// match. Each chunk is counted up to its last line break, the rest going in front of the next, so
// a match within a line is counted once; a line longer than a chunk is cut kCarriedUnits before
// its end.
class TMatchTally
{
public:
    explicit TMatchTally(const TTextMatcher &aMatcher) : fMatcher(aMatcher) {}

    // Counts the matches of aText (this chunk's, with what Add returned last time in front) and
    // returns the units at its end to carry into the next chunk.
    qsizetype Add(const QString &aText, bool aLast)
    {
        qsizetype cut = aLast ? aText.size() : aText.lastIndexOf(u'\n') + 1;
        if (cut <= 0)
            cut = std::max<qsizetype>(aText.size() - kCarriedUnits, 0);
        const TTextMatcher::TTally tally = fMatcher.Tally(aText, cut);
        if (tally.fFirst && fSummary.fContext.isEmpty())
            fSummary.fContext = MatchContext(aText, *tally.fFirst);
        fCount += tally.fCount;
        return aText.size() - cut;
    }
    TMatchSummary Summary()
    {
        fSummary.fMatches = int32_t(std::min<qsizetype>(fCount, INT32_MAX));
        return fSummary;
    }

private:
    const TTextMatcher &fMatcher;
    qsizetype fCount = 0;
    TMatchSummary fSummary;
};

// The text match of a plain-text file, over the whole file, in the encoding it was written in, in
// one reading: once a chunk holds a match, that chunk and the rest are counted into aSummary
// (when given). UTF-8 text under the default options is searched as bytes (TUtf8TextFinder),
// which gives the same answer as decoding it and PosIgnoreCase; other text, other options and a
// needle the byte scan cannot answer for are decoded a chunk at a time, with the last units of the
// chunk before carried over for a match across the border.
TPlainTextVerdict MatchPlainTextFile(const QString &pPath, const QString &aNeedle,
                                     const TThreadMatchers &aMatchers, const ICancellationIndicator *aCancel,
                                     TDocumentFailure &aFailure, TMatchSummary *aSummary)
{
    // Three bytes per unit at most in UTF-8, and room for a character cut at a chunk's end.
    TPlainTextFile file(pPath, 3 * aNeedle.size() + 16, aFailure);
    if (const TPlainTextStart start = file.Start(); start != TPlainTextStart::psText)
        return start == TPlainTextStart::psRtf ? TPlainTextVerdict::pvDocument
                                               : TPlainTextVerdict::pvNotFound;
    const TTextMatcher &matcher = *aMatchers.fMatcher;
    const TUtf8TextFinder *finder =
        aMatchers.fFinder && aMatchers.fFinder->IsUsable() ? &*aMatchers.fFinder : nullptr;
    std::optional<TMatchTally> tally;
    QString carried;
    for (;;) {
        const QByteArrayView bytes = file.Bytes();
        qsizetype keepFrom = 0;
        bool scannedAsBytes = false;
        if (!tally && finder && file.Decoder().KeepsUtf8(bytes)) {
            const bool found = finder->Find(bytes, file.AtEnd(), keepFrom);
            if (found && !aSummary)
                return TPlainTextVerdict::pvFound;
            carried.clear();
            if (found) {
                tally.emplace(matcher); // this chunk is decoded and counted below
            } else {
                // A character cut at the chunk's end is kept whole for the next.
                keepFrom = std::min(keepFrom, CompleteUnitsEnd(bytes));
                scannedAsBytes = true;
            }
        }
        if (!scannedAsBytes) {
            const QString text = carried + file.Decoder().Decode(bytes, file.AtEnd(), keepFrom);
            if (!tally && matcher.Contains(text)) {
                if (!aSummary)
                    return TPlainTextVerdict::pvFound;
                tally.emplace(matcher);
            }
            carried = text.right(tally ? tally->Add(text, file.AtEnd()) : kCarriedUnits);
        }
        if (!file.Next(keepFrom, aCancel))
            break;
    }
    if (!tally)
        return TPlainTextVerdict::pvNotFound;
    *aSummary = tally->Summary();
    return TPlainTextVerdict::pvFound;
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
        // A plain-text file's open says whether it is there.
        bool document = !IsPlainTextExtension(ExtractFileExt(pPath));
        if (document && !FileExists(pPath))
            return false;
        if (!document) {
            const TPlainTextVerdict verdict = MatchPlainTextFile(
                pPath, aNeedle, ThreadMatchers(aNeedle, aOptions, false), aCancel, failure, aSummary);
            if (verdict == TPlainTextVerdict::pvFound)
                return Found(aSummary);
            document = verdict == TPlainTextVerdict::pvDocument;
        }
        if (document) {
            QString text;
            const TTextMatcher &matcher = *ThreadMatchers(aNeedle, aOptions, true).fMatcher;
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
