// sqlite_connection.h - an SQLite connection and its prepared statements as
// owned C++ objects, with the error texts the store reports.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace cimom::store {

// A prepared statement, finalised with its owner. Binding and stepping
// return SQLite result codes; the caller decides what a failure means.
class Statement {
public:
    Statement() = default;
    explicit Statement(sqlite3_stmt *statement) : statement_(statement) {}
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(Statement &&other) noexcept : statement_(other.statement_) { other.statement_ = nullptr; }
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds text (copied by SQLite) or a number to parameter index (from 1).
    // An empty text binds NULL when emptyIsNull.
    int bind(int index, std::string_view text, bool emptyIsNull = false);
    int bind(int index, std::int64_t number);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(statement_); }
    // Makes the statement ready to run again; bindings are cleared.
    void reset();
    // A column of the current row, lent until the next step or reset.
    std::string_view text(int column) const;
    std::int64_t number(int column) const { return sqlite3_column_int64(statement_, column); }
    explicit operator bool() const { return statement_ != nullptr; }

private:
    sqlite3_stmt *statement_ = nullptr;
};

// An open connection, closed with its owner.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens (creating when absent) the database at path for reading and
    // writing. Returns SQLITE_OK or the failure; the connection is then
    // closed and error() says why.
    int open(const std::string &path);
    // Runs SQL without results (several statements allowed).
    int exec(const char *sql);
    // Prepares one statement; an empty statement on failure (error() says why).
    Statement prepare(const char *sql);
    // The single integer a query such as "PRAGMA user_version" answers;
    // fallback when it fails or answers nothing.
    std::int64_t integer(const char *sql, std::int64_t fallback = -1);
    // The last failure's text ("disk I/O error", "database or disk is full").
    std::string error() const;
    sqlite3 *handle() const { return db_; }

private:
    sqlite3 *db_ = nullptr;
};

// The text of a result code, with the detailed message when there is one:
// "database or disk is full", "disk I/O error (writing)".
std::string resultText(sqlite3 *db, int code);

}  // namespace cimom::store
