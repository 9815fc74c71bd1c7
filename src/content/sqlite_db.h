// Thin owners of an SQLite connection and its prepared statements, so that every handle is
// closed on every path and each error code reaches the caller.
#pragma once

#include <cstdint>
#include <QByteArray>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement; reset before each use, finalized when it goes. Move-only.
class TSqliteStatement
{
public:
    TSqliteStatement() = default;
    TSqliteStatement(sqlite3 *aDb, std::string_view aSql);
    TSqliteStatement(TSqliteStatement &&aOther) noexcept;
    TSqliteStatement &operator=(TSqliteStatement &&aOther) noexcept;
    TSqliteStatement(const TSqliteStatement &) = delete;
    TSqliteStatement &operator=(const TSqliteStatement &) = delete;
    ~TSqliteStatement();

    bool IsValid() const { return fStatement != nullptr; }
    // The result of preparing: SQLITE_OK or the error.
    int PrepareResult() const { return fPrepareResult; }
    // Resets the statement and clears its bindings.
    void Reset();
    void Bind(int aIndex, int64_t aValue);
    // Binds a copy of the bytes as a blob (an empty one as a zero-length blob).
    void BindBlob(int aIndex, const QByteArray &aValue);
    void BindText(int aIndex, std::string_view aValue);
    // SQLITE_ROW, SQLITE_DONE or the error.
    int Step();
    int64_t Int(int aColumn) const;
    QByteArray Blob(int aColumn) const;
    std::string Text(int aColumn) const;

private:
    sqlite3_stmt *fStatement = nullptr;
    int fPrepareResult = 0;
};

// One connection, for one thread at a time. Move-only; closed when it goes.
class TSqliteDb
{
public:
    TSqliteDb() = default;
    // Opens (creating when allowed) the database file; IsOpen tells whether it worked.
    TSqliteDb(const QByteArray &aFileName, bool aCreate);
    TSqliteDb(TSqliteDb &&aOther) noexcept;
    TSqliteDb &operator=(TSqliteDb &&aOther) noexcept;
    TSqliteDb(const TSqliteDb &) = delete;
    TSqliteDb &operator=(const TSqliteDb &) = delete;
    ~TSqliteDb();

    bool IsOpen() const { return fDb != nullptr; }
    sqlite3 *Handle() const { return fDb; }
    // Runs statements that return no rows; SQLITE_OK or the error.
    int Execute(const char *aSql);
    // The first column of the first row of aSql as an integer; aResult is the step's outcome.
    int64_t QueryInt(const char *aSql, int &aResult);

private:
    sqlite3 *fDb = nullptr;
};

// True for the error codes that mean the file is not a sound database of ours (damaged,
// truncated or something else altogether), as against a passing condition such as a busy lock
// or a full disk.
bool IsBrokenDatabaseError(int aResult);
