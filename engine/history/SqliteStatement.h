// A prepared SQLite statement that finalizes itself, with binding and
// reading of the optional values the history keeps. Used by one thread at
// a time, like its connection.
#ifndef ENGINE_HISTORY_SQLITESTATEMENT_H_
#define ENGINE_HISTORY_SQLITESTATEMENT_H_

#include <sqlite3.h>

#include <optional>
#include <string>

class CSqliteStatement {
 public:
  // Prepares `sql` on `db` (borrowed; must outlive the statement). Ok()
  // tells whether it worked; sqlite3_errmsg(db) says why not.
  CSqliteStatement(sqlite3* db, const char* sql);
  ~CSqliteStatement() { sqlite3_finalize(m_Statement); }
  CSqliteStatement(const CSqliteStatement&) = delete;
  CSqliteStatement& operator=(const CSqliteStatement&) = delete;

  bool Ok() const { return m_Statement != nullptr; }

  // Parameters count from 1; each returns *this for chaining. An empty
  // optional binds NULL.
  CSqliteStatement& Bind(int index, const std::string& text);
  CSqliteStatement& Bind(int index, const std::optional<std::string>& text);
  CSqliteStatement& Bind(int index, long long number);
  CSqliteStatement& Bind(int index, const std::optional<long long>& number);

  // One step: SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  // Runs a statement that returns no row and readies it for new bindings:
  // true when it went through.
  bool Run();

  // Columns of the current row, counted from 0; NULL reads as empty.
  std::optional<std::string> Text(int column) const;
  std::optional<long long> Integer(int column) const;

 private:
  sqlite3_stmt* m_Statement = nullptr;
};

#endif  // ENGINE_HISTORY_SQLITESTATEMENT_H_
