// The commands of ipv6disco besides discovery. `ipv6disco NAME ARGS...`
// runs the command NAME when the first argument is exactly its name;
// anything else is a discovery run (`ipv6disco -- NAME` discovers an NE of
// that name). Immutable; safe from any thread.
#ifndef ENGINE_COMMANDS_H_
#define ENGINE_COMMANDS_H_

#include <string>
#include <vector>

struct CCommand {
  const char* name;
  const char* summary;  // one line, for the help
  // Runs the command on the arguments after its name, talking to the
  // standard streams; returns the exit status.
  int (*run)(const std::vector<std::string>& args);
};

// Every command, in the order the help lists them.
const std::vector<CCommand>& DECommands();

// The command named exactly `name`, or null.
const CCommand* DEFindCommand(const std::string& name);

// The help's line naming the commands (each tells its own use with --help).
std::string DECommandsUsage();

#endif  // ENGINE_COMMANDS_H_
