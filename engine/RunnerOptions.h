// The runner's command line. Parsing is pure apart from reading the NE
// files named with --ne-file and checking that named folders exist; every
// problem comes back as one whole message ("ipv6disco: ..."), for the
// caller to print.
#ifndef ENGINE_RUNNEROPTIONS_H_
#define ENGINE_RUNNEROPTIONS_H_

#include <string>
#include <vector>

#include "engine/Crawl.h"
#include "snmp/NetSnmpOptions.h"

enum class EReportFormat { kText, kJson, kDot, kJsonLines, kSvg };

struct CRunnerOptions {
  std::vector<std::string> nes;  // in the order given (arguments and NE files)
  std::string plugin;            // "" : the AgentIPv6 library beside the runner
  int threads = 0;               // worker threads; 0 : the number of cores
  std::string etcDir;            // "" : ZW_ETC_PATH left as it is
  std::string varDir;            // "" : ZW_VAR_PATH left as it is
  CNetSnmpOptions snmp;          // the live requester's options
  std::string replayDir;         // "" : live SNMP
  std::string hostsFile;         // "" : the system resolver only
  int traceLevel = 0;            // 0 to 4
  std::string traceFile;         // "" : standard error
  EReportFormat format = EReportFormat::kText;
  std::string output;            // "" : standard output
  std::string historyFile;       // --db: "" keeps no history
  std::vector<std::string> arguments;  // the command line as given (after the program name)
  bool crawl = false;            // follow remote neighbours to new NEs
  CCrawlLimits crawlLimits;      // --max-hops, --max-nes, --scope, --exclude
};

enum class ERunnerCommand {
  kRun,         // options are complete; run them
  kHelp,        // print DERunnerUsage() and stop (status 0)
  kVersion,     // print DERunnerVersion() and stop (status 0)
  kUsageError,  // print the error and stop (status 2)
};

// Parses `args` (the arguments after the program name) into `options`.
// On kUsageError, `error` holds the whole message.
ERunnerCommand DEParseRunnerOptions(const std::vector<std::string>& args, CRunnerOptions* options,
                                    std::string* error);

// The --help text (one screen, pointing to ipv6disco(1) for the rest) and
// the --version line (each ends with a line break).
const char* DERunnerUsage();
const char* DERunnerVersion();

// Every option the parser accepts, long forms and the short "-h" and "-o",
// in no particular order.
std::vector<std::string> DERunnerOptionNames();

#endif  // ENGINE_RUNNEROPTIONS_H_
