#include "market/SQLiteDatabase.h"

#include <sqlite3.h>

#include "platform/MessageBox.h"

SQLiteStatement::~SQLiteStatement()
{
    if (stmt_)
        sqlite3_finalize(stmt_);
}

bool SQLiteStatement::NextRow()
{
    if (!stmt_)
        return false;
    const int result = sqlite3_step(stmt_);
    const wchar_t* box = nullptr;
    switch (result) {
    case SQLITE_ROW:
        return true;
    case SQLITE_DONE:
        sqlite3_reset(stmt_);
        return false;
    case SQLITE_MISUSE:
        box = L"SQLiteStatement::NextRow SQLITE_MISUSE";
        break;
    case SQLITE_BUSY:
        box = L"SQLiteStatement::NextRow SQLITE_BUSY";
        break;
    case SQLITE_ERROR:
        box = L"SQLiteStatement::NextRow SQLITE_ERROR";
        break;
    default:
        return false;
    }
    MessageBox(box, L"");
    return false;
}

bool SQLiteStatement::BindText(int index, const std::string& utf8)
{
    return stmt_
        && sqlite3_bind_text(stmt_, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT)
        == SQLITE_OK;
}

bool SQLiteStatement::BindInt64(int index, std::int64_t value)
{
    return stmt_ && sqlite3_bind_int64(stmt_, index, value) == SQLITE_OK;
}

bool SQLiteStatement::BindNull(int index)
{
    return stmt_ && sqlite3_bind_null(stmt_, index) == SQLITE_OK;
}

std::string SQLiteStatement::ColumnText(int column) const
{
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (!text)
        return {};
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
    return std::string(reinterpret_cast<const char*>(text), size);
}

int SQLiteStatement::ColumnInt(int column) const
{
    return sqlite3_column_int(stmt_, column);
}

bool SQLiteStatement::ColumnIsInteger(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_INTEGER;
}

std::int64_t SQLiteStatement::ColumnInt64(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

bool SQLiteDatabase::Open(const std::string& utf8Path)
{
    sqlite3* db = nullptr;
    // Serialized: one connection serves every thread.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    const int result = sqlite3_open_v2(utf8Path.c_str(), &db, flags, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    m_db = std::shared_ptr<sqlite3>(db, [](sqlite3* connection) { sqlite3_close_v2(connection); });
    return true;
}

std::unique_ptr<SQLiteStatement> SQLiteDatabase::Prepare(const std::string& sql) const
{
    if (!m_db)
        return nullptr;
    sqlite3_stmt* stmt = nullptr;
    // The legacy interface: no automatic re-prepare, the whole text.
    if (sqlite3_prepare(m_db.get(), sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK || !stmt) {
        if (stmt)
            sqlite3_finalize(stmt);
        return nullptr;
    }
    return std::make_unique<SQLiteStatement>(stmt);
}

bool SQLiteDatabase::Execute(const std::string& sql) const
{
    if (!m_db)
        return false;
    sqlite3_busy_timeout(m_db.get(), 100);
    return sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool SQLiteDatabase::Run(SQLiteStatement& statement) const
{
    if (!m_db || !statement.stmt_)
        return false;
    sqlite3_busy_timeout(m_db.get(), 100);
    const int result = sqlite3_step(statement.stmt_);
    sqlite3_reset(statement.stmt_);
    return result == SQLITE_DONE;
}

std::string SQLiteDatabase::ErrorMessage() const
{
    return m_db ? std::string(sqlite3_errmsg(m_db.get())) : std::string("not open");
}

bool SQLiteIsSerialized()
{
    return sqlite3_threadsafe() == 1;
}
