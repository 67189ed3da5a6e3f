// The run history: where runs are kept and read back. The schema and every
// query live behind this interface, so that another database (a server one
// shared by a team, say) can stand in for the embedded one.
//
// A store is used by one thread at a time. Several processes may use one
// history at once: a writer waits for another (up to a time-out) and each
// run is written whole or not at all.
#ifndef ENGINE_HISTORY_RUNSTORE_H_
#define ENGINE_HISTORY_RUNSTORE_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/history/StoredRun.h"

class CRunStore {
 public:
  virtual ~CRunStore() = default;

  // Appends `run` (its summary id is ignored) in one transaction. Returns
  // the new run's id, or none with `error` a whole phrase; a failed append
  // leaves the history as it was.
  virtual std::optional<long long> Append(const CStoredRun& run, std::string* error) = 0;

  // Every run, oldest first. False, with `error`, when the history cannot
  // be read.
  virtual bool List(std::vector<CRunSummary>* runs, std::string* error) = 0;

  // Run `id` whole. False, with `error` ("no run N in FILE" when there is
  // none), when it cannot be read.
  virtual bool Load(long long id, CStoredRun* run, std::string* error) = 0;
};

// Opens the embedded history in `path`, creating it when the file does not
// exist (or is empty) and bringing an older history up to date. A file that
// is not a history of this program (another database, a damaged one, any
// other file) or one written by a newer version is refused without being
// modified: null, with `error` a whole phrase naming the file. With
// `readOnly`, a missing file is an error and nothing is ever written.
std::unique_ptr<CRunStore> DEOpenRunStore(const std::string& path, bool readOnly, std::string* error);

#endif  // ENGINE_HISTORY_RUNSTORE_H_
