// The runner as a program: usage errors, fatal errors and --help end with their status before any NE is looked at.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/integration/RunnerProcess.h"
#include "tests/support/TempDir.h"

namespace {

TEST(RunnerExitStatusTest, UsageErrorsFatalErrorsAndHelpEndWithTheirStatus) {
  TempDir dir;
  const std::string none = dir.Path() + "/none", hosts = dir.WriteFile("hosts", "192.0.2.1\n");
  // err: whole, or its start for status 1 (the loader's reason follows); out: its start, "" for none
  const struct { const char* what; std::vector<std::string> args; int status; std::string err, out; } rows[] = {
      {"no worker", {"--threads", "0", "192.0.2.1"}, 2,
       "ipv6disco: --threads: '0' is not a number from 1 to 1024\n", ""},
      {"unreadable hosts file", {"--hosts", none, "192.0.2.1"}, 2,
       "ipv6disco: --hosts: cannot read " + none + ": No such file or directory\n", ""},
      {"unused hosts line told, then no plug-in", {"--hosts", hosts, "--plugin", none + ".so", "192.0.2.1"}, 1,
       hosts + ":1: ignored: no name after the address\nipv6disco: cannot load the plug-in '" + none + ".so': ", ""},
      {"help", {"--help"}, 0, "", "usage: ipv6disco [options] NE...\n"},
  };
  for (const auto& row : rows) {
    RunnerResult r = RunProgram(TEST_BINARY_DIR "/ipv6disco", row.args);
    EXPECT_EQ(r.status, row.status) << row.what;
    EXPECT_EQ(row.status == 1 ? r.err.substr(0, row.err.size()) : r.err, row.err) << row.what;
    EXPECT_EQ(row.out.empty() ? r.out : r.out.substr(0, row.out.size()), row.out) << row.what;
  }
}

}  // namespace
