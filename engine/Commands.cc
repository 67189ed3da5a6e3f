#include "engine/Commands.h"

#include <algorithm>

#include <cstdio>

#include "engine/HistoryCommands.h"
#include "engine/RecordCommand.h"

const std::vector<CCommand>& DECommands() {
  static const std::vector<CCommand> commands = {
      {"record", "write what discovery reads of each NE to DIR/<address>.snmprec, for --replay",
       DERecordCommand},
      {"history", "list the runs kept in a history (--db FILE)",
       [](const std::vector<std::string>& args) { return DEHistoryCommand(args, stdout, stderr); }},
      {"diff", "what changed between two runs of a history (--db FILE [RUN_A [RUN_B]])",
       [](const std::vector<std::string>& args) { return DEDiffCommand(args, stdout, stderr); }},
  };
  return commands;
}

const CCommand* DEFindCommand(const std::string& name) {
  for (const CCommand& command : DECommands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

std::string DECommandsUsage() {
  std::string text = "commands:";
  for (const CCommand& command : DECommands()) text += std::string(" ") + command.name;
  return text + " (ipv6disco COMMAND --help)\n";
}
