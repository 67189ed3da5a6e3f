// The command line of `ipv6disco record`: what each option sets, and the whole message of each usage error.
#include <gtest/gtest.h>

#include "engine/RecordOptions.h"
#include "tests/support/TempDir.h"

namespace {

using Args = std::vector<std::string>;

std::string Seen(const CRecordOptions& o) {
  std::string text = "out=" + o.outDir + " threads=" + std::to_string(o.threads) + " hosts=" + o.hostsFile +
                     " version=" + std::to_string(static_cast<int>(o.snmp.version)) + " port=" +
                     std::to_string(o.snmp.port) + " ms=" + std::to_string(o.snmp.timeoutMs) + " user=" + o.snmp.user +
                     " nes=";
  for (const std::string& ne : o.nes) text += ne + ",";
  return text;
}

TEST(RecordOptionsTest, OptionsSetTheirFieldsAndUsageErrorsGiveTheWholeMessage) {
  TempDir dir;
  const std::string nes = dir.WriteFile("nes", "192.0.2.1 # r1\nr2.lab\n");
  const std::pair<Args, std::string> rows[] = {  // arguments, and Seen() or the error
      {{"--out", "d", "n"}, "out=d threads=0 hosts= version=1 port=161 ms=1000 user= nes=n,"},
      {{"--out=d", "--threads", "8", "--hosts", "h", "--port=1161", "--timeout", "0.5", "--snmp-version", "1",
        "n", "--ne-file", nes, "--", "-x"},
       "out=d threads=8 hosts=h version=0 port=1161 ms=500 user= nes=n,192.0.2.1,r2.lab,-x,"},
      {{"--out", "d", "--snmp-version=3", "--user", "u", "n"}, "out=d threads=0 hosts= version=2 port=161 ms=1000 user=u nes=n,"},
      {{"n"}, "ipv6disco record: --out DIR is needed: the folder to write to"},
      {{"--out", "d"}, "ipv6disco record: no NE given: name NEs as arguments or with --ne-file (see ipv6disco record --help)"},
      {{"--out", "d", "--format", "json", "n"}, "ipv6disco record: unknown option '--format' (see ipv6disco record --help)"},
      {{"n", "--out"}, "ipv6disco record: option '--out' needs a value"},
      {{"--out=", "n"}, "ipv6disco record: --out: empty path"},
      {{"--out", "d", "--threads", "0", "n"}, "ipv6disco record: --threads: '0' is not a number from 1 to 1024"},
      {{"--out", "d", "--port", "65536", "n"}, "ipv6disco record: --port: '65536' is not a number from 1 to 65535"},
      {{"--out", "d", "--user", "u", "n"}, "ipv6disco record: --user applies to SNMPv3 only (--snmp-version 3)"},
      {{"--out", "d", "--snmp-version", "3", "n"}, "ipv6disco record: --snmp-version 3 needs --user"},
      {{"--out", "d", "a b"}, "ipv6disco record: NE 'a b': not an address or a node name"},
  };
  for (const auto& [args, expected] : rows) {
    SCOPED_TRACE(testing::PrintToString(args));
    CRecordOptions options;
    std::string error;
    const ERunnerCommand command = DEParseRecordOptions(args, &options, &error);
    EXPECT_EQ(command, expected.rfind("ipv6disco", 0) == 0 ? ERunnerCommand::kUsageError : ERunnerCommand::kRun);
    EXPECT_EQ(command == ERunnerCommand::kRun ? Seen(options) : error, expected);
  }
  CRecordOptions o;
  std::string e;
  EXPECT_EQ(DEParseRecordOptions({"n", "-h", "--bogus"}, &o, &e), ERunnerCommand::kHelp);
}

}  // namespace
