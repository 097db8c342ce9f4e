#include "store/sqlite_support.h"

#include "store/record_manager.h"

namespace talmidor {

int16_t statusOfSqlite(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return kStatusOk;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return kStatusFileLocked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return kStatusAccessDenied;
    case SQLITE_FULL:
      return kStatusDiskFull;
    case SQLITE_CANTOPEN:
      return kStatusFileNotFound;
    default:
      return kStatusIoError;
  }
}

int Statement::prepare(sqlite3* db, const std::string& sql) {
  sqlite3_finalize(stmt_);
  stmt_ = nullptr;
  return sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
}

void bindBlob(sqlite3_stmt* stmt, int index, std::string_view bytes) {
  // A non-null pointer, or SQLite binds NULL.
  sqlite3_bind_blob(stmt, index, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()),
                    SQLITE_TRANSIENT);
}

std::string_view columnBlob(sqlite3_stmt* stmt, int column) {
  const void* p = sqlite3_column_blob(stmt, column);
  int n = sqlite3_column_bytes(stmt, column);
  return p ? std::string_view(static_cast<const char*>(p), static_cast<size_t>(n))
           : std::string_view();
}

std::string join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out.append(p);
  return out;
}

std::string keyColumns(size_t keys, const std::string& prefix) {
  std::string out;
  for (size_t k = 0; k < keys; ++k) out += join({prefix, "k", std::to_string(k)});
  return out;
}

}  // namespace talmidor
