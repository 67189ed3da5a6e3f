// `ipv6disco record`: sets up what DERecordNes needs from the options (the
// names overlay, the output folder, live SNMP), shows the progress line and
// reports each NE. Exit statuses are the runner's (Runner.h): 0 every NE
// recorded, 3 some NE not, 2 a usage error (the options, the hosts file),
// 1 a recording or the folder could not be written, 128 + the signal when
// SIGINT or SIGTERM stopped it.
#ifndef ENGINE_RECORDCOMMAND_H_
#define ENGINE_RECORDCOMMAND_H_

#include <cstdio>
#include <string>
#include <vector>

#include "engine/RecordOptions.h"

// Runs `options`: a line per NE recorded and a summary go to `out`, the
// progress line and a message per NE not recorded ("ipv6disco record: NE:
// why") to `err`. Installs, and removes at the end, the names overlay.
int DERunRecord(const CRecordOptions& options, FILE* out, FILE* err);

// The command as the command table calls it: parses `args` (those after
// "record"), prints the help or a usage error, or runs. Returns the exit
// status.
int DERecordCommand(const std::vector<std::string>& args);

#endif  // ENGINE_RECORDCOMMAND_H_
