#pragma once
// Small pieces shared by the SQLite engine's files: prepared statements that clean up after
// themselves, status mapping, blob binding and SQL text building.

#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace talmidor {

// The mark in talmidor_meta that tells one of our data files.
constexpr const char* kStoreFormatMark = "talmidor keyed file 1";

// The record manager status for an SQLite result code.
int16_t statusOfSqlite(int rc);

// A prepared statement that finalizes itself.
class Statement {
 public:
  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement(Statement&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
  Statement& operator=(Statement&&) = delete;
  ~Statement() { sqlite3_finalize(stmt_); }

  int prepare(sqlite3* db, const std::string& sql);
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when the scope ends, so that it holds no read transaction.
class ResetOnExit {
 public:
  explicit ResetOnExit(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~ResetOnExit() { sqlite3_reset(stmt_); }
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;

 private:
  sqlite3_stmt* stmt_;
};

// Binds bytes as a blob; an empty one is still a blob, not NULL.
void bindBlob(sqlite3_stmt* stmt, int index, std::string_view bytes);
// A blob column's bytes, valid until the statement steps or resets.
std::string_view columnBlob(sqlite3_stmt* stmt, int column);

// Text joined piece by piece (building SQL with a chain of + trips a false -Wrestrict warning
// of GCC 12 in optimised builds).
std::string join(std::initializer_list<std::string_view> parts);
// ", k0, k1, ..." with the prefix before each name.
std::string keyColumns(size_t keys, const std::string& prefix);

}  // namespace talmidor
