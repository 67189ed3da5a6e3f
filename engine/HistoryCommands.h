// The history commands of the runner:
//   ipv6disco history --db FILE [--format text|json]
//   ipv6disco diff --db FILE [--format text|json] [RUN_A [RUN_B]]
// `args` are the arguments after the command name; results go to `out`,
// messages ("ipv6disco: ...") to `err`. Exit status: history 0, or 2 when
// it cannot run; diff 0 when nothing changed, 1 when something did, 2 when
// it cannot run (like diff(1)).
#ifndef ENGINE_HISTORYCOMMANDS_H_
#define ENGINE_HISTORYCOMMANDS_H_

#include <cstdio>
#include <string>
#include <vector>

int DEHistoryCommand(const std::vector<std::string>& args, FILE* out, FILE* err);
int DEDiffCommand(const std::vector<std::string>& args, FILE* out, FILE* err);

#endif  // ENGINE_HISTORYCOMMANDS_H_
