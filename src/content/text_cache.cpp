// The text cache: schema, connection pool, look-up, store, eviction, clearing, and the setting
// aside of a database that is damaged or not ours.
#include "content/text_cache.h"

#include "content/sqlite_db.h"
#include "platform/config_location.h"
#include "platform/file_name.h"
#include "platform/program_info.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <zstd.h>

namespace {

// "Ordw" in the database header, and the layout of its one table: a file with other values is
// not ours and is set aside.
constexpr int64_t kApplicationId = 0x4f726477;
constexpr int64_t kSchemaVersion = 1;
constexpr int kCompressionLevel = 1;
// A hit refreshes an entry's last-use time only when it is older than this, so that a repeated
// search reads without writing.
constexpr int64_t kTouchSeconds = 600;
// Entries and last-use times written in one transaction: a commit costs far more than a row.
constexpr size_t kBatchSize = 32;
// Bytes counted for an entry beyond its blobs and strings (row and index overhead).
constexpr int64_t kEntryOverhead = 96;
// The longest text kept: twice the longest reply the client takes.
constexpr int64_t MaxCachedTextBytes = 256LL * 1024 * 1024;

constexpr char kCreateSchema[] = R"(
PRAGMA auto_vacuum = INCREMENTAL;
PRAGMA journal_mode = WAL;
BEGIN;
CREATE TABLE entries(
  id INTEGER PRIMARY KEY,
  path BLOB NOT NULL,
  device INTEGER NOT NULL,
  inode INTEGER NOT NULL,
  size INTEGER NOT NULL,
  modified INTEGER NOT NULL,
  changed INTEGER NOT NULL,
  extractor TEXT NOT NULL,
  problem INTEGER NOT NULL,
  detail TEXT NOT NULL,
  text_bytes INTEGER NOT NULL,
  body BLOB NOT NULL,
  stored INTEGER NOT NULL,
  used INTEGER NOT NULL);
PRAGMA application_id = 1332896887;
PRAGMA user_version = 1;
COMMIT;
)";
static_assert(kApplicationId == 1332896887 && kSchemaVersion == 1, "the schema text names both");

constexpr char kFind[] =
    "SELECT id, problem, detail, text_bytes, body, used FROM entries WHERE id = ?14 AND path = ?1 AND "
    "device = ?2 AND inode = ?3 AND size = ?4 AND modified = ?5 AND changed = ?6 AND "
    "extractor = ?7";
constexpr char kStore[] =
    "INSERT OR REPLACE INTO entries(path, device, inode, size, modified, changed, extractor, "
    "problem, detail, text_bytes, body, stored, used, id) "
    "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)";
constexpr char kTouch[] = "UPDATE entries SET used = ?1 WHERE id = ?2";
constexpr char kDelete[] = "DELETE FROM entries WHERE id = ?1";

// The failures that are facts about the document: it is not sent again until it changes.
bool IsLastingProblem(TDocumentProblem aProblem)
{
    return aProblem == TDocumentProblem::None || aProblem == TDocumentProblem::Encrypted ||
           aProblem == TDocumentProblem::Corrupt || aProblem == TDocumentProblem::TooLarge;
}

struct TZstdFree
{
    void operator()(ZSTD_CCtx *aContext) const { ZSTD_freeCCtx(aContext); }
    void operator()(ZSTD_DCtx *aContext) const { ZSTD_freeDCtx(aContext); }
};

// The row of a path: a hash of its bytes (FNV-1a, 63 bits), so that the table needs no index
// beside its own. Two paths of one hash share a row: each finds the other's entry with another
// path, a miss.
int64_t RowOfPath(const QByteArray &aPath)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : aPath) {
        hash ^= uint8_t(c);
        hash *= 1099511628211ull;
    }
    return int64_t(hash >> 1);
}

// Writers hold the lock for well under a millisecond: short waits first, then longer ones, for
// about five seconds in all.
int WaitWhileBusy(void *, int aCount)
{
    if (aCount >= 5100)
        return 0;
    std::this_thread::sleep_for(std::chrono::microseconds(aCount < 100 ? 20 : 1000));
    return 1;
}

void BindStamp(TSqliteStatement &aStatement, const QByteArray &aPath, const TFileStamp &aStamp,
               const std::string &aExtractor)
{
    const QByteArray &path = aPath;
    aStatement.BindBlob(1, path);
    aStatement.Bind(14, RowOfPath(path));
    aStatement.Bind(2, int64_t(aStamp.fDevice));
    aStatement.Bind(3, int64_t(aStamp.fInode));
    aStatement.Bind(4, aStamp.fSize);
    aStatement.Bind(5, aStamp.fModified);
    aStatement.Bind(6, aStamp.fChanged);
    aStatement.BindText(7, aExtractor);
}

// The text of a stored body, checked against its length and zstd's checksum.
bool Decompress(ZSTD_DCtx *aContext, const QByteArray &aBody, int64_t aTextBytes, QByteArray &aText)
{
    aText.clear();
    if (aTextBytes == 0)
        return aBody.isEmpty();
    if (ZSTD_getFrameContentSize(aBody.constData(), size_t(aBody.size())) != uint64_t(aTextBytes))
        return false;
    aText.resize(aTextBytes);
    const size_t size = ZSTD_decompressDCtx(aContext, aText.data(), size_t(aTextBytes), aBody.constData(),
                                            size_t(aBody.size()));
    return !ZSTD_isError(size) && size == size_t(aTextBytes);
}

int64_t FileSize(const QString &aName)
{
    const QFileInfo info(aName);
    return info.exists() ? info.size() : 0;
}

} // namespace

// A connection with its statements and compression contexts; used by one thread at a time. The
// statements go before the connection.
struct TTextCache::TConnection
{
    TSqliteDb fDb;
    TSqliteStatement fFind, fStore, fTouch, fDelete;
    std::unique_ptr<ZSTD_CCtx, TZstdFree> fCompress{ZSTD_createCCtx()};
    std::unique_ptr<ZSTD_DCtx, TZstdFree> fDecompress{ZSTD_createDCtx()};

    static std::unique_ptr<TConnection> Open(const QString &aFileName, int64_t aMaxPageCount)
    {
        auto connection = std::make_unique<TConnection>();
        connection->fDb = TSqliteDb(QFile::encodeName(aFileName), false);
        if (!connection->fDb.IsOpen() || !connection->fCompress || !connection->fDecompress)
            return nullptr;
        sqlite3_busy_handler(connection->fDb.Handle(), WaitWhileBusy, nullptr);
        if (connection->fDb.Execute("PRAGMA synchronous = NORMAL") != SQLITE_OK)
            return nullptr;
        if (aMaxPageCount > 0) {
            const std::string limit = "PRAGMA max_page_count = " + std::to_string(aMaxPageCount);
            connection->fDb.Execute(limit.c_str());
        }
        sqlite3 *db = connection->fDb.Handle();
        connection->fFind = TSqliteStatement(db, kFind);
        connection->fStore = TSqliteStatement(db, kStore);
        connection->fTouch = TSqliteStatement(db, kTouch);
        connection->fDelete = TSqliteStatement(db, kDelete);
        if (!connection->fFind.IsValid() || !connection->fStore.IsValid() || !connection->fTouch.IsValid() ||
            !connection->fDelete.IsValid())
            return nullptr;
        ZSTD_CCtx_setParameter(connection->fCompress.get(), ZSTD_c_compressionLevel, kCompressionLevel);
        ZSTD_CCtx_setParameter(connection->fCompress.get(), ZSTD_c_checksumFlag, 1);
        return connection;
    }
};

// An entry on its way to the database.
struct TTextCache::TPendingEntry
{
    QByteArray fPath;
    TFileStamp fStamp;
    std::string fExtractor;
    int64_t fProblem = 0;
    std::string fDetail;
    int64_t fTextBytes = 0;
    QByteArray fBody;
    int64_t fStored = 0;
    int64_t fUsed = 0;
};

// A hit's new last-use time on its way to the database.
struct TTextCache::TPendingTouch
{
    int64_t fRow = 0;
    int64_t fUsed = 0;
};

// Gives a connection back to the pool when the call ends, however it ends.
class TTextCache::TLease
{
public:
    explicit TLease(TTextCache &aCache) : fCache(aCache), fConnection(aCache.Acquire(fGeneration)) {}
    ~TLease() { fCache.Release(std::move(fConnection), fGeneration); }
    TLease(const TLease &) = delete;
    TLease &operator=(const TLease &) = delete;

    TConnection *operator->() const { return fConnection.get(); }
    explicit operator bool() const { return fConnection != nullptr; }
    TConnection &Get() const { return *fConnection; }
    void Failed(int aResult) { fCache.Failed(aResult, fGeneration); }

private:
    TTextCache &fCache;
    uint64_t fGeneration = 0;
    std::unique_ptr<TConnection> fConnection;
};

QString TTextCache::DefaultFolder()
{
    const QString cache = UserCacheFolder();
    return cache.isEmpty() ? QString() : cache + u'/' + ApplicationTitle();
}

QString TTextCache::DatabaseName()
{
    return QStringLiteral("texts.db");
}

TTextCache::TTextCache(TOptions aOptions)
    : fOptions(std::move(aOptions)), fLimitBytes(fOptions.fLimitBytes),
      // The first store looks at the size: the limit may have become smaller since the last run.
      fAddedSinceCheck(INT64_MAX / 2)
{
}

TTextCache::~TTextCache()
{
    Flush();
}

QString TTextCache::FileName() const
{
    return fOptions.fFolder.isEmpty() ? QString() : fOptions.fFolder + u'/' + DatabaseName();
}

void TTextCache::SetLimit(int64_t aBytes)
{
    fLimitBytes = std::max<int64_t>(aBytes, 0);
    fAddedSinceCheck = INT64_MAX / 2;
}

int64_t TTextCache::Now() const
{
    if (fOptions.fClock)
        return fOptions.fClock();
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::unique_ptr<TTextCache::TConnection> TTextCache::Acquire(uint64_t &aGeneration)
{
    {
        std::lock_guard lock(fLock);
        if ((!fPrepared || fBroken) && !PrepareDatabase())
            return nullptr;
        aGeneration = fGeneration;
        if (!fIdle.empty()) {
            std::unique_ptr<TConnection> connection = std::move(fIdle.back());
            fIdle.pop_back();
            return connection;
        }
    }
    return TConnection::Open(FileName(), fOptions.fMaxPageCount);
}

void TTextCache::Release(std::unique_ptr<TConnection> aConnection, uint64_t aGeneration)
{
    if (!aConnection)
        return;
    std::lock_guard lock(fLock);
    // A connection to a database set aside since it was taken is closed.
    if (aGeneration == fGeneration && !fBroken)
        fIdle.push_back(std::move(aConnection));
}

void TTextCache::Failed(int aResult, uint64_t aGeneration)
{
    if (!IsBrokenDatabaseError(aResult))
        return;
    std::lock_guard lock(fLock);
    if (aGeneration == fGeneration)
        fBroken = true;
}

void TTextCache::MoveAside()
{
    fIdle.clear();
    ++fGeneration;
    const QString name = FileName();
    const QByteArray file = QFile::encodeName(name);
    std::rename(file.constData(), (file + ".broken").constData());
    // The journal files belong to the file set aside; left here they would be applied to the new one.
    ::unlink((file + "-wal").constData());
    ::unlink((file + "-shm").constData());
}

bool TTextCache::PrepareDatabase()
{
    if (fOptions.fFolder.isEmpty())
        return false;
    if (fBroken) {
        MoveAside();
        fBroken = false;
        fPrepared = false;
    }
    const QByteArray folder = QFile::encodeName(fOptions.fFolder);
    if (!QDir().mkpath(fOptions.fFolder) || ::chmod(folder.constData(), 0700) != 0)
        return false;
    const QByteArray file = QFile::encodeName(FileName());
    // Made with mode 0600 before SQLite opens it; its journal files take the same mode.
    const int descriptor = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return false;
    const bool ownerOnly = ::fchmod(descriptor, 0600) == 0;
    ::close(descriptor);
    if (!ownerOnly)
        return false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        TSqliteDb db(file, false);
        if (!db.IsOpen())
            return false;
        sqlite3_busy_handler(db.Handle(), WaitWhileBusy, nullptr);
        int result = SQLITE_OK;
        const int64_t application = db.QueryInt("PRAGMA application_id", result);
        const int64_t version = result == SQLITE_OK ? db.QueryInt("PRAGMA user_version", result) : 0;
        const int64_t tables =
            result == SQLITE_OK ? db.QueryInt("SELECT count(*) FROM sqlite_master", result) : 0;
        if (result == SQLITE_OK && application == kApplicationId && version == kSchemaVersion) {
            fPrepared = true;
            return true;
        }
        if (result == SQLITE_OK && application == 0 && version == 0 && tables == 0) {
            result = db.Execute(kCreateSchema);
            if (result == SQLITE_OK) {
                fPrepared = true;
                return true;
            }
            db.Execute("ROLLBACK");
            if (!IsBrokenDatabaseError(result))
                return false;
        } else if (result != SQLITE_OK && !IsBrokenDatabaseError(result)) {
            return false;
        }
        // Damaged, of another layout or not a database at all: set aside, and made anew.
        db = TSqliteDb();
        MoveAside();
        const int again = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (again < 0)
            return false;
        ::close(again);
    }
    return false;
}

bool TTextCache::Find(const QString &aPath, const TFileStamp &aStamp, const std::string &aExtractor,
                      QString &aText, TDocumentFailure &aFailure)
{
    aText.clear();
    aFailure = {};
    try {
        TLease connection(*this);
        if (!connection)
            return false;
        const QByteArray path = FileNameBytes(aPath);
        if (FindPending(connection.Get(), path, aStamp, aExtractor, aText, aFailure))
            return true;
        TSqliteStatement &find = connection->fFind;
        find.Reset();
        BindStamp(find, path, aStamp, aExtractor);
        const int result = find.Step();
        if (result != SQLITE_ROW) {
            find.Reset();
            if (result != SQLITE_DONE)
                connection.Failed(result);
            return false;
        }
        const int64_t id = find.Int(0);
        const int64_t problem = find.Int(1);
        const QString detail = QString::fromStdString(find.Text(2));
        const int64_t textBytes = find.Int(3);
        const QByteArray body = find.Blob(4);
        const int64_t used = find.Int(5);
        find.Reset();
        bool sound = problem >= 0 && problem <= int64_t(TDocumentProblem::ServerError) &&
                     IsLastingProblem(TDocumentProblem(problem)) && textBytes >= 0 &&
                     textBytes <= MaxCachedTextBytes;
        QByteArray text;
        sound = sound && Decompress(connection->fDecompress.get(), body, textBytes, text);
        if (!sound) {
            // Never a wrong answer: an entry that does not decode is dropped.
            TSqliteStatement &remove = connection->fDelete;
            remove.Reset();
            remove.Bind(1, id);
            remove.Step();
            remove.Reset();
            return false;
        }
        aText = QString::fromUtf8(text);
        aFailure = {TDocumentProblem(problem), detail};
        const int64_t now = Now();
        if (now - used >= kTouchSeconds || now < used) {
            bool write = false;
            {
                std::lock_guard lock(fPendingLock);
                fPendingTouches.push_back({id, now});
                write =
                    fPending.size() + fPendingTouches.size() >= kBatchSize && !std::exchange(fWriting, true);
            }
            if (write)
                WritePending(connection);
        }
        return true;
    } catch (...) {
        aText.clear();
        aFailure = {};
        return false;
    }
}

bool TTextCache::Store(const QString &aPath, const TFileStamp &aStamp, const std::string &aExtractor,
                       const QString &aText, const TDocumentFailure &aFailure)
{
    if (!IsLastingProblem(aFailure.fProblem) ||
        (aFailure.fProblem != TDocumentProblem::None && !aText.isEmpty()))
        return false;
    try {
        const QByteArray text = aText.toUtf8();
        if (text.size() > MaxCachedTextBytes)
            return false;
        TLease connection(*this);
        if (!connection)
            return false;
        TPendingEntry entry{FileNameBytes(aPath),
                            aStamp,
                            aExtractor,
                            int64_t(aFailure.fProblem),
                            aFailure.fDetail.toStdString(),
                            text.size(),
                            {},
                            0,
                            Now()};
        if (!text.isEmpty()) {
            entry.fBody.resize(qsizetype(ZSTD_compressBound(size_t(text.size()))));
            const size_t size =
                ZSTD_compress2(connection->fCompress.get(), entry.fBody.data(), size_t(entry.fBody.size()),
                               text.constData(), size_t(text.size()));
            if (ZSTD_isError(size))
                return false;
            entry.fBody.truncate(qsizetype(size));
        }
        entry.fStored = kEntryOverhead + entry.fBody.size() + entry.fPath.size() +
                        int64_t(entry.fDetail.size() + aExtractor.size());
        const int64_t limit = fLimitBytes;
        // One entry never takes more than a small share of the cache.
        if (entry.fStored > limit / 8)
            return false;
        fAddedSinceCheck += entry.fStored;
        // Entries wait until a batch is full; whoever fills it while no writer is at work writes
        // it (and what comes in meanwhile); the others go back to their documents at once.
        {
            std::lock_guard lock(fPendingLock);
            fPending.push_back(std::move(entry));
            if (fPending.size() + fPendingTouches.size() < kBatchSize || std::exchange(fWriting, true))
                return true;
        }
        const bool written = WritePending(connection);
        EvictIfDue(connection.Get());
        return written;
    } catch (...) {
        return false;
    }
}

bool TTextCache::FindPending(TConnection &aConnection, const QByteArray &aPath, const TFileStamp &aStamp,
                             const std::string &aExtractor, QString &aText, TDocumentFailure &aFailure)
{
    QByteArray body;
    int64_t textBytes = 0;
    int64_t problem = 0;
    std::string detail;
    {
        std::lock_guard lock(fPendingLock);
        const auto newest =
            std::find_if(fPending.rbegin(), fPending.rend(), [&](const TPendingEntry &aEntry) {
                return aEntry.fPath == aPath && aEntry.fStamp == aStamp && aEntry.fExtractor == aExtractor;
            });
        if (newest == fPending.rend())
            return false;
        newest->fUsed = Now();
        body = newest->fBody;
        textBytes = newest->fTextBytes;
        problem = newest->fProblem;
        detail = newest->fDetail;
    }
    QByteArray text;
    if (!Decompress(aConnection.fDecompress.get(), body, textBytes, text))
        return false;
    aText = QString::fromUtf8(text);
    aFailure = {TDocumentProblem(problem), QString::fromStdString(detail)};
    return true;
}

bool TTextCache::Flush()
{
    {
        std::lock_guard lock(fPendingLock);
        // A writer at work writes all that is there before it stops.
        if ((fPending.empty() && fPendingTouches.empty()) || std::exchange(fWriting, true))
            return true;
    }
    TLease connection(*this);
    if (!connection) {
        std::lock_guard lock(fPendingLock);
        fPending.clear();
        fPendingTouches.clear();
        fWriting = false;
        return false;
    }
    const bool written = WritePending(connection);
    EvictIfDue(connection.Get());
    return written;
}

void TTextCache::EvictIfDue(TConnection &aConnection)
{
    // The size is looked at in batches: after about a sixteenth of the limit has been added.
    if (fAddedSinceCheck < std::max<int64_t>(fLimitBytes / 16, 1) || fEvicting.exchange(true))
        return;
    fAddedSinceCheck = 0;
    EvictIfNeeded(aConnection);
    fEvicting = false;
}

bool TTextCache::WritePending(TLease &aLease)
{
    bool written = true;
    bool writing = true;
    // Should a round raise (no memory), the role is given up all the same.
    const auto release = qScopeGuard([&] {
        if (writing) {
            std::lock_guard lock(fPendingLock);
            fWriting = false;
        }
    });
    while (writing) {
        std::vector<TPendingEntry> entries;
        std::vector<TPendingTouch> touches;
        {
            // Found empty and given up in one step, so that nothing handed over is left behind.
            std::lock_guard lock(fPendingLock);
            if (fPending.empty() && fPendingTouches.empty()) {
                fWriting = false;
                writing = false;
                break;
            }
            entries.swap(fPending);
            touches.swap(fPendingTouches);
        }
        written = WriteBatch(aLease, entries, touches) && written;
    }
    return written;
}

bool TTextCache::WriteBatch(TLease &aLease, const std::vector<TPendingEntry> &aBatch,
                            const std::vector<TPendingTouch> &aTouches)
{
    TConnection &connection = aLease.Get();
    int result = connection.fDb.Execute("BEGIN IMMEDIATE");
    TSqliteStatement &store = connection.fStore;
    for (size_t i = 0; result == SQLITE_OK && i < aBatch.size(); ++i) {
        const TPendingEntry &entry = aBatch[i];
        store.Reset();
        BindStamp(store, entry.fPath, entry.fStamp, entry.fExtractor);
        store.Bind(8, entry.fProblem);
        store.BindText(9, entry.fDetail);
        store.Bind(10, entry.fTextBytes);
        store.BindBlob(11, entry.fBody);
        store.Bind(12, entry.fStored);
        store.Bind(13, entry.fUsed);
        result = store.Step();
        if (result == SQLITE_DONE)
            result = SQLITE_OK;
    }
    store.Reset();
    TSqliteStatement &touch = connection.fTouch;
    for (size_t i = 0; result == SQLITE_OK && i < aTouches.size(); ++i) {
        touch.Reset();
        touch.Bind(1, aTouches[i].fUsed);
        touch.Bind(2, aTouches[i].fRow);
        result = touch.Step();
        if (result == SQLITE_DONE)
            result = SQLITE_OK;
    }
    touch.Reset();
    if (result == SQLITE_OK)
        result = connection.fDb.Execute("COMMIT");
    if (result == SQLITE_OK)
        return true;
    // A full disk or a damaged file: the batch is dropped, its documents are extracted again.
    connection.fDb.Execute("ROLLBACK");
    aLease.Failed(result);
    return false;
}

void TTextCache::EvictIfNeeded(TConnection &aConnection)
{
    const int64_t limit = fLimitBytes;
    int result = SQLITE_OK;
    const int64_t total = aConnection.fDb.QueryInt("SELECT total(stored) FROM entries", result);
    if (result != SQLITE_OK || total <= limit)
        return;
    // Down to nine tenths of the limit, so that the next batch of stores does not evict again.
    const int64_t target = limit / 10 * 9;
    std::vector<int64_t> victims;
    {
        TSqliteStatement oldest(aConnection.fDb.Handle(), "SELECT id, stored FROM entries ORDER BY used, id");
        int64_t left = total;
        while (left > target && oldest.IsValid() && oldest.Step() == SQLITE_ROW) {
            victims.push_back(oldest.Int(0));
            left -= oldest.Int(1);
        }
    }
    if (aConnection.fDb.Execute("BEGIN IMMEDIATE") != SQLITE_OK)
        return;
    TSqliteStatement &remove = aConnection.fDelete;
    bool removed = true;
    for (const int64_t id : victims) {
        remove.Reset();
        remove.Bind(1, id);
        removed = removed && remove.Step() == SQLITE_DONE;
    }
    remove.Reset();
    aConnection.fDb.Execute(removed ? "COMMIT" : "ROLLBACK");
    aConnection.fDb.Execute("PRAGMA incremental_vacuum");
    // The journal is given back too; with readers at work it is done by a later checkpoint.
    aConnection.fDb.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
}

int64_t TTextCache::SizeOnDisk() const
{
    const QString name = FileName();
    if (name.isEmpty())
        return 0;
    return FileSize(name) + FileSize(name + QStringLiteral("-wal")) +
           FileSize(name + QStringLiteral("-shm")) + FileSize(name + QStringLiteral(".broken"));
}

int64_t TTextCache::Clear()
{
    const QString name = FileName();
    if (name.isEmpty())
        return 0;
    {
        // What waits to be written goes too.
        std::lock_guard lock(fPendingLock);
        fPending.clear();
        fPendingTouches.clear();
    }
    const int64_t before = SizeOnDisk();
    // A cache never used is not made only to be emptied.
    bool cleared = !QFileInfo::exists(name);
    if (!cleared) {
        TLease connection(*this);
        if (connection) {
            TSqliteDb &db = connection->fDb;
            cleared = db.Execute("DELETE FROM entries") == SQLITE_OK && db.Execute("VACUUM") == SQLITE_OK;
            db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        }
    }
    std::lock_guard lock(fLock);
    if (!cleared && QFileInfo::exists(name)) {
        // Whatever is there cannot be emptied: it goes, and the next use makes a new one.
        MoveAside();
        fPrepared = false;
    }
    QFile::remove(name + QStringLiteral(".broken"));
    return std::max<int64_t>(before - SizeOnDisk(), 0);
}
