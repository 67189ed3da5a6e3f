// The embedded history: a CRunStore on an SQLite file. DEOpenRunStore
// (SqliteOpen.cc) checks and brings up to date the file before a store is
// made on it.
#ifndef ENGINE_HISTORY_SQLITERUNSTORE_H_
#define ENGINE_HISTORY_SQLITERUNSTORE_H_

#include <sqlite3.h>

#include <string>
#include <vector>

#include "engine/history/RunStore.h"

// Marks a history file in the SQLite header (PRAGMA application_id).
constexpr int kHistoryApplicationId = 0x69366468;  // "i6dh"

// Set to anything, it makes Append abort the process just before the
// transaction commits (for tests of a run that dies while writing).
constexpr char kAbortBeforeCommitVariable[] = "IPV6DISCO_HISTORY_ABORT_BEFORE_COMMIT";

class CSqliteRunStore : public CRunStore {
 public:
  // Takes over `db`, which must be an up-to-date history.
  CSqliteRunStore(sqlite3* db, std::string path) : m_Db(db), m_Path(std::move(path)) {}
  ~CSqliteRunStore() override { sqlite3_close_v2(m_Db); }
  CSqliteRunStore(const CSqliteRunStore&) = delete;
  CSqliteRunStore& operator=(const CSqliteRunStore&) = delete;

  std::optional<long long> Append(const CStoredRun& run, std::string* error) override;
  bool List(std::vector<CRunSummary>* runs, std::string* error) override;
  bool Load(long long id, CStoredRun* run, std::string* error) override;

 private:
  // Writes what Append writes, inside its transaction; false on an error.
  bool Insert(const CStoredRun& run, long long* id);
  bool Read(long long id, CStoredRun* run);
  // `what` and the connection's last error, naming the file.
  std::string Problem(const std::string& what) const;

  sqlite3* m_Db;
  std::string m_Path;
};

#endif  // ENGINE_HISTORY_SQLITERUNSTORE_H_
