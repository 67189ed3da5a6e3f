// The command line of `ipv6disco record`. Parsing is pure apart from
// reading the NE files named with --ne-file; every problem comes back as
// one whole message ("ipv6disco record: ..."), for the caller to print.
#ifndef ENGINE_RECORDOPTIONS_H_
#define ENGINE_RECORDOPTIONS_H_

#include <string>
#include <vector>

#include "engine/RunnerOptions.h"
#include "snmp/NetSnmpOptions.h"

struct CRecordOptions {
  std::vector<std::string> nes;  // in the order given (arguments and NE files)
  std::string outDir;            // where the recordings go; never "" once parsed
  int threads = 0;               // devices recorded at once; 0 : the number of cores
  std::string hostsFile;         // "" : the system resolver only
  CNetSnmpOptions snmp;
};

// Parses `args` (the arguments after "record") into `options`: kRun,
// kHelp or kUsageError (with `error` the whole message).
ERunnerCommand DEParseRecordOptions(const std::vector<std::string>& args, CRecordOptions* options,
                                    std::string* error);

// The `ipv6disco record --help` text (ends with a line break).
const char* DERecordUsage();

#endif  // ENGINE_RECORDOPTIONS_H_
