// What the run history keeps of a run: the report turned into plain data
// for a CRunStore. No state; safe from any thread.
#ifndef ENGINE_RUNHISTORY_H_
#define ENGINE_RUNHISTORY_H_

#include <string>
#include <vector>

#include "engine/RunReport.h"
#include "engine/history/StoredRun.h"

// `report` (whose records and stores must still be held) as the history
// keeps it, with the command line after the program name and the NEs
// given; `started` and `finished` are UTC texts (DEUtcNow).
CStoredRun DEStoredRun(const CRunReport& report, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& inputs, const std::string& started,
                       const std::string& finished);

// The current time in UTC, ISO 8601 to the second ("2026-12-07T04:10:00Z").
std::string DEUtcNow();

#endif  // ENGINE_RUNHISTORY_H_
