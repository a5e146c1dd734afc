#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement; releasing it finalizes the statement. Rows are read
// with NextRow and then the column readers (or sqlite3_column_* on stmt_).
class SQLiteStatement {
public:
    explicit SQLiteStatement(sqlite3_stmt* stmt)
        : stmt_(stmt)
    {
    }
    ~SQLiteStatement();
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;

    // Steps: true when a row is there. At the end the statement is reset;
    // SQLITE_MISUSE, SQLITE_BUSY and SQLITE_ERROR show an owner-less box
    // "SQLiteStatement::NextRow <code>" first. Any other result: false.
    bool NextRow();

    // Parameters are numbered from 1. A text is bound as a copy.
    bool BindText(int index, const std::string& utf8);
    bool BindInt64(int index, std::int64_t value);
    bool BindNull(int index);

    // Column readers of the current row: a NULL text is the empty text.
    std::string ColumnText(int column) const;
    int ColumnInt(int column) const;
    bool ColumnIsInteger(int column) const;
    std::int64_t ColumnInt64(int column) const;

    sqlite3_stmt* stmt_ = nullptr;
};

// The client's one catalogue connection, shared by every thread (SQLite's
// serialized mode). Empty until Open; never closed while the process runs
// (the last owner's destructor closes it, for tests that make many).
class SQLiteDatabase {
public:
    // Opens or creates the file (UTF-8 path); false when SQLite refuses.
    bool Open(const std::string& utf8Path);
    bool IsOpen() const { return m_db != nullptr; }

    // None when the text cannot be prepared or holds no statement.
    std::unique_ptr<SQLiteStatement> Prepare(const std::string& sql) const;
    // Runs SQL that returns no rows, with the 100 ms busy timeout installed;
    // true on SQLITE_OK.
    bool Execute(const std::string& sql) const;
    // Steps a prepared statement that returns no rows to its end; true when
    // it finished (SQLITE_DONE).
    bool Run(SQLiteStatement& statement) const;
    // SQLite's text for the last failure on the connection.
    std::string ErrorMessage() const;

    sqlite3* handle() const { return m_db.get(); }

private:
    std::shared_ptr<sqlite3> m_db;
};

// Whether the linked SQLite is built thread-safe in serialized mode.
bool SQLiteIsSerialized();
