// ipv6disco: the discovery runner, and the commands of DECommands(). See
// DERunnerUsage() and the README.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/Commands.h"
#include "engine/Runner.h"
#include "engine/RunnerOptions.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty()) {
    if (const CCommand* command = DEFindCommand(args[0])) {
      return command->run(std::vector<std::string>(args.begin() + 1, args.end()));
    }
  }
  CRunnerOptions options;
  std::string error;
  switch (DEParseRunnerOptions(args, &options, &error)) {
    case ERunnerCommand::kHelp:
      std::fputs(DERunnerUsage(), stdout);
      std::fputs(DECommandsUsage().c_str(), stdout);
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
