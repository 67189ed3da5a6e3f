// One run of the discovery runner: sets up names, trace, sockets and SNMP
// as the options say, loads the plug-in, drives its agent over every NE on
// the engine's worker threads, runs the relationship step and writes the
// report.
#ifndef ENGINE_RUNNER_H_
#define ENGINE_RUNNER_H_

#include <cstdio>
#include <memory>
#include <string>

#include "engine/RunnerOptions.h"
#include "host/CDiscoStdRequester.h"

// Exit statuses of the runner.
enum {
  kExitAllProcessed = 0,
  kExitFatal = 1,       // the plug-in could not be loaded, or another fatal error
  kExitUsage = 2,       // a usage error
  kExitSomeFailed = 3,  // the run ended, and some NE was not processed
  // 128 + the signal number when SIGINT (130) or SIGTERM (143) interrupted
  // the run: the report holds the NEs done, the others "interrupted".
};

// Runs `options` (as DEParseRunnerOptions gave them); messages for the
// user ("ipv6disco: ...") and the progress line go to `err`. Returns the
// exit status. Changes process-wide state while it runs (environment
// ZW_ETC_PATH / ZW_VAR_PATH as asked, trace and error sinks, the names
// overlay, the raw-socket switch) and restores all but the environment.
int DERunDiscovery(const CRunnerOptions& options, FILE* err);

// The requester of a run: replay of recorded walks with --replay, else live
// SNMP. Null, with `error` a whole phrase, for options the live requester
// refuses.
std::unique_ptr<CDiscoStdRequester> DEMakeRequester(const CRunnerOptions& options,
                                                    std::string* error);

#endif  // ENGINE_RUNNER_H_
