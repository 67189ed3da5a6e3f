// ipv6disco: the discovery runner. See DERunnerUsage() and the README.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/HistoryCommands.h"
#include "engine/Runner.h"
#include "engine/RunnerOptions.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "history" || args[0] == "diff")) {
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    return args[0] == "history" ? DEHistoryCommand(rest, stdout, stderr) : DEDiffCommand(rest, stdout, stderr);
  }
  CRunnerOptions options;
  std::string error;
  switch (DEParseRunnerOptions(args, &options, &error)) {
    case ERunnerCommand::kHelp:
      std::fputs(DERunnerUsage(), stdout);
      return kExitAllProcessed;
    case ERunnerCommand::kVersion:
      std::fputs(DERunnerVersion(), stdout);
      return kExitAllProcessed;
    case ERunnerCommand::kUsageError:
      std::fprintf(stderr, "%s\n", error.c_str());
      return kExitUsage;
    case ERunnerCommand::kRun:
      break;
  }
  return DERunDiscovery(options, stderr);
}
