// sqlite_connection.cpp - owned SQLite connections and statements.
#include "store/sqlite_connection.h"

#include <utility>

namespace cimom::store {

Statement &Statement::operator=(Statement &&other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
}

int Statement::bind(int index, std::string_view text, bool emptyIsNull) {
    if (emptyIsNull && text.empty()) return sqlite3_bind_null(statement_, index);
    return sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int Statement::bind(int index, std::int64_t number) { return sqlite3_bind_int64(statement_, index, number); }

void Statement::reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

std::string_view Statement::text(int column) const {
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement_, column));
    return bytes ? std::string_view(bytes, static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                 : std::string_view();
}

Connection::~Connection() { sqlite3_close_v2(db_); }

int Connection::open(const std::string &path) {
    int code = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                               nullptr);
    if (code == SQLITE_OK) sqlite3_extended_result_codes(db_, 1);
    return code;
}

int Connection::exec(const char *sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

Statement Connection::prepare(const char *sql) {
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) return Statement();
    return Statement(statement);
}

std::int64_t Connection::integer(const char *sql, std::int64_t fallback) {
    Statement query = prepare(sql);
    if (!query || query.step() != SQLITE_ROW) return fallback;
    return query.number(0);
}

std::string Connection::error() const { return db_ ? sqlite3_errmsg(db_) : "out of memory"; }

std::string resultText(sqlite3 *db, int code) {
    std::string text = sqlite3_errstr(code);
    const char *detail = db ? sqlite3_errmsg(db) : nullptr;
    if (detail && text != detail && sqlite3_extended_errcode(db) == code) text += std::string(" (") + detail + ")";
    return text;
}

}  // namespace cimom::store
