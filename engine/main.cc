// ipv6disco: the discovery runner. See DERunnerUsage() and the README.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/Runner.h"
#include "engine/RunnerOptions.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
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
