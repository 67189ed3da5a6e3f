// Opening the embedded history: what a file must be before anything is
// written to it, and the migrations that bring it up to date.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "engine/history/SqliteRunStore.h"
#include "engine/history/SqliteStatement.h"

namespace {

struct Migration {
  const char* name;
  const char* sql;
};

// The files of migrations/, in order (generated from them by the build);
// the history's PRAGMA user_version is the number of them applied.
const Migration kMigrations[] = {
#include "HistoryMigrations.inc"
};
constexpr long long kVersion = sizeof(kMigrations) / sizeof(kMigrations[0]);

long long Pragma(sqlite3* db, const char* name, bool* ok) {
  CSqliteStatement query(db, (std::string("PRAGMA ") + name).c_str());
  *ok = query.Ok() && query.Step() == SQLITE_ROW;
  return *ok ? query.Integer(0).value_or(0) : 0;
}

// Why `path` is not a history file that can be used, or "" when it is one
// (or is empty). Reads the file only.
std::string Refusal(sqlite3* db, const std::string& path) {
  bool ok = false;
  const long long application = Pragma(db, "application_id", &ok);
  const long long version = ok ? Pragma(db, "user_version", &ok) : 0;
  const long long tables = ok ? Pragma(db, "schema_version", &ok) : 0;  // 0 for a database never written
  if (!ok) return "'" + path + "' is not an ipv6disco history (" + sqlite3_errmsg(db) + ")";
  if (application == 0 && tables == 0) return "";
  if (application != kHistoryApplicationId) return "'" + path + "' is not an ipv6disco history (another SQLite database)";
  if (version > kVersion) {
    return "'" + path + "' was written by a newer ipv6disco (history version " + std::to_string(version) +
           "; this one knows " + std::to_string(kVersion) + ")";
  }
  return "";
}

// Applies the migrations `path` lacks, in one transaction with the check,
// so that two processes opening a new history at once migrate it once.
std::string Migrate(sqlite3* db, const std::string& path) {
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return "cannot open the history '" + path + "': " + sqlite3_errmsg(db);
  }
  std::string problem = Refusal(db, path);
  bool ok = problem.empty();
  for (long long v = ok ? Pragma(db, "user_version", &ok) : kVersion; ok && v < kVersion; ++v) {
    char* message = nullptr;
    const std::string sql = std::string(kMigrations[v].sql) + "\nPRAGMA user_version = " + std::to_string(v + 1) +
                            ";\nPRAGMA application_id = " + std::to_string(kHistoryApplicationId) + ";";
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      problem = "cannot bring the history '" + path + "' up to date (" + kMigrations[v].name + "): " +
                (message != nullptr ? message : "");
      ok = false;
    }
    sqlite3_free(message);
  }
  if (problem.empty() && !ok) problem = "cannot read the history '" + path + "': " + sqlite3_errmsg(db);
  sqlite3_exec(db, problem.empty() ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
  return problem;
}

}  // namespace

std::unique_ptr<CRunStore> DEOpenRunStore(const std::string& path, bool readOnly, std::string* error) {
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    *error = "'" + path + "' is a folder, not an ipv6disco history";
    return nullptr;
  }
  if (!exists && readOnly) {
    *error = "no history '" + path + "'";
    return nullptr;
  }
  if (exists && st.st_size > 0) {
    // SQLite opens any file and fails at the first read; say so before.
    char header[16] = {};
    std::ifstream(path, std::ios::binary).read(header, sizeof header);
    if (std::memcmp(header, "SQLite format 3", 16) != 0) {
      *error = "'" + path + "' is not an ipv6disco history (not an SQLite database)";
      return nullptr;
    }
  }
  sqlite3* db = nullptr;
  const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    *error = "cannot open the history '" + path + "': " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 60 * 1000);  // another runner writing: wait for it
  std::string problem = readOnly ? Refusal(db, path) : Migrate(db, path);
  if (problem.empty() && sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr) != SQLITE_OK) {
    problem = "cannot open the history '" + path + "': " + sqlite3_errmsg(db);
  }
  if (!problem.empty()) {
    *error = problem;
    sqlite3_close_v2(db);
    return nullptr;
  }
  return std::unique_ptr<CRunStore>(new CSqliteRunStore(db, path));
}
