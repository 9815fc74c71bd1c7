// The persistent cache of documents' extracted text: one SQLite database in the user's cache
// folder, the text compressed with zstd, each entry valid only for the same file (device, inode,
// size, modification and change times) and the same extraction server and version.
#pragma once

#include "content/document_failure.h"
#include "platform/file_stamp.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <QString>
#include <string>
#include <vector>

// The default bound on the entries' size: 2 GiB.
inline constexpr int64_t DefaultTextCacheLimitBytes = 2LL * 1024 * 1024 * 1024;

// Thread-safe: check threads and the preview look up and fill one cache at the same time, each
// call on a connection of its own from a small pool; no lock is held while a document is
// extracted. Every failure of the database (a full disk, a damaged file) makes that call find or
// store nothing: the caller then extracts as if there were no cache. A database that is damaged
// or not ours is moved aside (".broken") and a new one is made.
class TTextCache
{
public:
    struct TOptions
    {
        // The folder that holds the database; created with mode 0700 at the first use.
        QString fFolder;
        int64_t fLimitBytes = DefaultTextCacheLimitBytes;
        // Seconds of the last-use times; the system clock when empty.
        std::function<int64_t()> fClock;
        // When above zero, the most pages the database may have (a small one stands for a full disk).
        int64_t fMaxPageCount = 0;
    };

    // $XDG_CACHE_HOME/Ordwell, else ~/.cache/Ordwell; empty when neither can be had. Any thread.
    static QString DefaultFolder();
    // The database's file name in its folder.
    static QString DatabaseName();

    // Opens nothing yet: the folder and the database are made at the first call that needs them.
    explicit TTextCache(TOptions aOptions);
    ~TTextCache();
    TTextCache(const TTextCache &) = delete;
    TTextCache &operator=(const TTextCache &) = delete;

    // The entry for aPath when it was stored for the same stamp and extractor: true, with either
    // the text (aFailure None; an empty text for a document that has none) or the reason it could
    // not be extracted. False on a miss and on any failure. Any thread.
    bool Find(const QString &aPath, const TFileStamp &aStamp, const std::string &aExtractor, QString &aText,
              TDocumentFailure &aFailure);
    // Stores the outcome of extracting aPath (replacing any older entry for the path). Entries
    // are written in batches: until its batch is written (by the call that fills it, or Flush),
    // an entry is found in memory. Returns false when the entry cannot be stored or the batch
    // this call wrote failed. Now and then removes the least recently used entries to keep
    // within the size limit. Any thread.
    bool Store(const QString &aPath, const TFileStamp &aStamp, const std::string &aExtractor,
               const QString &aText, const TDocumentFailure &aFailure);

    // Writes the entries and last-use times that wait for a full batch; false when that failed.
    // The destructor does it too. Any thread.
    bool Flush();

    // The bytes the cache takes on disk (the database, its journal files and a moved-aside one).
    // Any thread.
    int64_t SizeOnDisk() const;
    // Removes every entry and gives the space back; returns the bytes freed. Any thread.
    int64_t Clear();
    // Changes the size limit; the next store keeps to it. Any thread.
    void SetLimit(int64_t aBytes);
    // The path of the database file.
    QString FileName() const;

private:
    struct TConnection;
    struct TPendingEntry;
    struct TPendingTouch;
    class TLease;

    std::unique_ptr<TConnection> Acquire(uint64_t &aGeneration);
    void Release(std::unique_ptr<TConnection> aConnection, uint64_t aGeneration);
    // Called after an error: when it says the file is broken, the file is set aside and rebuilt.
    void Failed(int aResult, uint64_t aGeneration);
    bool PrepareDatabase();
    void MoveAside();
    void EvictIfNeeded(TConnection &aConnection);
    // EvictIfNeeded once enough has been added since the last look, by one thread at a time.
    void EvictIfDue(TConnection &aConnection);
    // The newest entry waiting to be written for the same path, stamp and extractor.
    bool FindPending(TConnection &aConnection, const QByteArray &aPath, const TFileStamp &aStamp,
                     const std::string &aExtractor, QString &aText, TDocumentFailure &aFailure);
    // Called by the thread that took the writer's role: writes what has been handed over until
    // nothing is left, then gives the role up. False when a round failed.
    bool WritePending(TLease &aLease);
    // Writes aBatch and aTouches in one transaction; false, nothing written, on any failure.
    bool WriteBatch(TLease &aLease, const std::vector<TPendingEntry> &aBatch,
                    const std::vector<TPendingTouch> &aTouches);
    int64_t Now() const;

    const TOptions fOptions;
    std::atomic<int64_t> fLimitBytes;
    std::atomic<int64_t> fAddedSinceCheck;
    std::atomic<bool> fEvicting{false};
    mutable std::mutex fLock;
    bool fPrepared = false;
    bool fBroken = false;
    uint64_t fGeneration = 0;
    std::vector<std::unique_ptr<TConnection>> fIdle;
    // Entries stored and hits' last-use times while another thread writes; that thread writes
    // them too.
    std::mutex fPendingLock;
    std::vector<TPendingEntry> fPending;
    std::vector<TPendingTouch> fPendingTouches;
    bool fWriting = false;
};
