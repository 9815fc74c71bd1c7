// The SQLite connection and statement owners.
#include "content/sqlite_db.h"

#include <sqlite3.h>
#include <utility>

TSqliteStatement::TSqliteStatement(sqlite3 *aDb, std::string_view aSql)
{
    fPrepareResult = sqlite3_prepare_v3(aDb, aSql.data(), int(aSql.size()), SQLITE_PREPARE_PERSISTENT,
                                        &fStatement, nullptr);
    if (fPrepareResult != SQLITE_OK) {
        sqlite3_finalize(fStatement);
        fStatement = nullptr;
    }
}

TSqliteStatement::TSqliteStatement(TSqliteStatement &&aOther) noexcept
    : fStatement(std::exchange(aOther.fStatement, nullptr)), fPrepareResult(aOther.fPrepareResult)
{
}

TSqliteStatement &TSqliteStatement::operator=(TSqliteStatement &&aOther) noexcept
{
    if (this != &aOther) {
        sqlite3_finalize(fStatement);
        fStatement = std::exchange(aOther.fStatement, nullptr);
        fPrepareResult = aOther.fPrepareResult;
    }
    return *this;
}

TSqliteStatement::~TSqliteStatement()
{
    sqlite3_finalize(fStatement);
}

void TSqliteStatement::Reset()
{
    sqlite3_reset(fStatement);
    sqlite3_clear_bindings(fStatement);
}

void TSqliteStatement::Bind(int aIndex, int64_t aValue)
{
    sqlite3_bind_int64(fStatement, aIndex, aValue);
}

void TSqliteStatement::BindBlob(int aIndex, const QByteArray &aValue)
{
    sqlite3_bind_blob64(fStatement, aIndex, aValue.constData(), sqlite3_uint64(aValue.size()),
                        SQLITE_TRANSIENT);
}

void TSqliteStatement::BindText(int aIndex, std::string_view aValue)
{
    sqlite3_bind_text64(fStatement, aIndex, aValue.data(), sqlite3_uint64(aValue.size()), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
}

int TSqliteStatement::Step()
{
    return sqlite3_step(fStatement);
}

int64_t TSqliteStatement::Int(int aColumn) const
{
    return sqlite3_column_int64(fStatement, aColumn);
}

QByteArray TSqliteStatement::Blob(int aColumn) const
{
    const void *data = sqlite3_column_blob(fStatement, aColumn);
    const int size = sqlite3_column_bytes(fStatement, aColumn);
    return data ? QByteArray(static_cast<const char *>(data), size) : QByteArray();
}

std::string TSqliteStatement::Text(int aColumn) const
{
    const unsigned char *data = sqlite3_column_text(fStatement, aColumn);
    const int size = sqlite3_column_bytes(fStatement, aColumn);
    return data ? std::string(reinterpret_cast<const char *>(data), size_t(size)) : std::string();
}

TSqliteDb::TSqliteDb(const QByteArray &aFileName, bool aCreate)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (aCreate ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(aFileName.constData(), &fDb, flags, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(fDb);
        fDb = nullptr;
    }
}

TSqliteDb::TSqliteDb(TSqliteDb &&aOther) noexcept : fDb(std::exchange(aOther.fDb, nullptr)) {}

TSqliteDb &TSqliteDb::operator=(TSqliteDb &&aOther) noexcept
{
    if (this != &aOther) {
        sqlite3_close_v2(fDb);
        fDb = std::exchange(aOther.fDb, nullptr);
    }
    return *this;
}

TSqliteDb::~TSqliteDb()
{
    // A statement still alive is finalized by its owner; close_v2 waits for it.
    sqlite3_close_v2(fDb);
}

int TSqliteDb::Execute(const char *aSql)
{
    return sqlite3_exec(fDb, aSql, nullptr, nullptr, nullptr);
}

int64_t TSqliteDb::QueryInt(const char *aSql, int &aResult)
{
    TSqliteStatement statement(fDb, aSql);
    if (!statement.IsValid()) {
        aResult = statement.PrepareResult();
        return 0;
    }
    aResult = statement.Step();
    const int64_t value = aResult == SQLITE_ROW ? statement.Int(0) : 0;
    if (aResult == SQLITE_ROW)
        aResult = SQLITE_OK;
    return value;
}

bool IsBrokenDatabaseError(int aResult)
{
    const int primary = aResult & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_FORMAT ||
           primary == SQLITE_SCHEMA;
}
