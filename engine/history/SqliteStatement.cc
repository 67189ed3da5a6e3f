#include "engine/history/SqliteStatement.h"

CSqliteStatement::CSqliteStatement(sqlite3* db, const char* sql) {
  if (sqlite3_prepare_v2(db, sql, -1, &m_Statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(m_Statement);
    m_Statement = nullptr;
  }
}

CSqliteStatement& CSqliteStatement::Bind(int index, const std::string& text) {
  sqlite3_bind_text(m_Statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int index, const std::optional<std::string>& text) {
  if (!text) {
    sqlite3_bind_null(m_Statement, index);
    return *this;
  }
  return Bind(index, *text);
}

CSqliteStatement& CSqliteStatement::Bind(int index, long long number) {
  sqlite3_bind_int64(m_Statement, index, number);
  return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int index, const std::optional<long long>& number) {
  if (!number) {
    sqlite3_bind_null(m_Statement, index);
    return *this;
  }
  return Bind(index, *number);
}

int CSqliteStatement::Step() { return sqlite3_step(m_Statement); }

bool CSqliteStatement::Run() {
  const int rc = sqlite3_step(m_Statement);
  sqlite3_reset(m_Statement);
  sqlite3_clear_bindings(m_Statement);
  return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

std::optional<std::string> CSqliteStatement::Text(int column) const {
  if (sqlite3_column_type(m_Statement, column) == SQLITE_NULL) return std::nullopt;
  const unsigned char* text = sqlite3_column_text(m_Statement, column);
  return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(m_Statement, column)));
}

std::optional<long long> CSqliteStatement::Integer(int column) const {
  if (sqlite3_column_type(m_Statement, column) == SQLITE_NULL) return std::nullopt;
  return sqlite3_column_int64(m_Statement, column);
}
