// Runner options: the input split at NULs and line breaks is the argument
// list. Arguments holding "/" are refused, so that --ne-file and the folder
// options reach only the target's own folder, the working folder while an
// input is parsed (it holds "nes", an NE file). Checked: a run has NEs and
// settings in range; a usage error has its whole message.
#include <limits.h>
#include <unistd.h>

#include <vector>

#include "engine/RunnerOptions.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = FuzzSetUp();
  static const std::string nes = FuzzWriteFile("nes", reinterpret_cast<const uint8_t*>("192.0.2.1\n"), 10);
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '/') return 0;
    if (c == '\0' || c == '\n') {
      args.emplace_back();
    } else {
      args.back() += c;
    }
  }
  if (size == 0) args.clear();

  static const std::string home = [] {
    char buffer[PATH_MAX];
    FuzzCheck(getcwd(buffer, sizeof buffer) != nullptr, "getcwd");
    return std::string(buffer);
  }();
  FuzzCheck(chdir(folder.c_str()) == 0, "chdir to the fuzz folder");
  CRunnerOptions options;
  std::string error;
  const ERunnerCommand command = DEParseRunnerOptions(args, &options, &error);
  FuzzCheck(chdir(home.c_str()) == 0, "chdir back");

  switch (command) {
    case ERunnerCommand::kRun:
      FuzzCheck(!options.nes.empty(), "a run has NEs");
      FuzzCheck(options.threads >= 0 && options.threads <= 1024, "threads in range");
      FuzzCheck(options.traceLevel >= 0 && options.traceLevel <= 5, "trace level in range");
      break;
    case ERunnerCommand::kUsageError:
      FuzzCheck(error.rfind("ipv6disco: ", 0) == 0, "a usage error is a whole message");
      break;
    case ERunnerCommand::kHelp:
    case ERunnerCommand::kVersion:
      break;
  }
  return 0;
}
