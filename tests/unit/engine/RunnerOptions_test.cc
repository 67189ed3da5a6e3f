// The runner's command line: what each option sets, and the whole message
// of every usage error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/RunnerOptions.h"
#include "tests/support/TempDir.h"

namespace {

using Args = std::vector<std::string>;

CRunnerOptions ParseOk(const Args& args) {
  CRunnerOptions options;
  std::string error;
  EXPECT_EQ(DEParseRunnerOptions(args, &options, &error), ERunnerCommand::kRun) << error;
  EXPECT_EQ(error, "");
  return options;
}

TEST(RunnerOptionsTest, DefaultsWithOneNe) {
  CRunnerOptions o = ParseOk({"192.0.2.1"});
  EXPECT_EQ(o.nes, Args({"192.0.2.1"}));
  EXPECT_EQ(o.plugin, "");
  EXPECT_EQ(o.threads, 0);
  EXPECT_EQ(o.snmp.version, ESnmpVersion::kV2c);
  EXPECT_EQ(o.snmp.community, "public");
  EXPECT_EQ(o.snmp.port, 161);
  EXPECT_EQ(o.snmp.timeoutMs, 1000);
  EXPECT_EQ(o.snmp.retries, 1);
  EXPECT_EQ(o.snmp.maxRepetitions, 20);
  EXPECT_EQ(o.replayDir, "");
  EXPECT_EQ(o.traceLevel, 0);
  EXPECT_EQ(o.format, EReportFormat::kText);
  EXPECT_EQ(o.output, "");
}

TEST(RunnerOptionsTest, EveryValueOptionInBothSpellings) {
  TempDir dir;
  for (bool joined : {false, true}) {
    SCOPED_TRACE(joined ? "--name=value" : "--name value");
    auto opt = [joined](const std::string& name, const std::string& value) {
      return joined ? Args{name + "=" + value} : Args{name, value};
    };
    Args args = {"2001:db8::1/64"};
    for (const Args& a :
         {opt("--plugin", "/x/lib.so"), opt("--threads", "7"), opt("--etc-dir", dir.Path()),
          opt("--var-dir", dir.Path()), opt("--snmp-version", "1"), opt("--community", "lab"),
          opt("--port", "1161"), opt("--timeout", "2.5"), opt("--retries", "0"),
          opt("--max-repetitions", "50"), opt("--hosts", "/x/hosts"),
          opt("--trace-level", "4"), opt("--trace-file", "/x/trace"), opt("--format", "dot"),
          opt("--output", "/x/out")}) {
      args.insert(args.end(), a.begin(), a.end());
    }
    args.push_back("r1.lab.example");
    CRunnerOptions o = ParseOk(args);
    EXPECT_EQ(o.nes, Args({"2001:db8::1/64", "r1.lab.example"}));
    EXPECT_EQ(o.plugin, "/x/lib.so");
    EXPECT_EQ(o.threads, 7);
    EXPECT_EQ(o.etcDir, dir.Path());
    EXPECT_EQ(o.varDir, dir.Path());
    EXPECT_EQ(o.snmp.version, ESnmpVersion::kV1);
    EXPECT_EQ(o.snmp.community, "lab");
    EXPECT_EQ(o.snmp.port, 1161);
    EXPECT_EQ(o.snmp.timeoutMs, 2500);
    EXPECT_EQ(o.snmp.retries, 0);
    EXPECT_EQ(o.snmp.maxRepetitions, 50);
    EXPECT_EQ(o.hostsFile, "/x/hosts");
    EXPECT_EQ(o.traceLevel, 4);
    EXPECT_EQ(o.traceFile, "/x/trace");
    EXPECT_EQ(o.format, EReportFormat::kDot);
    EXPECT_EQ(o.output, "/x/out");
  }
}

TEST(RunnerOptionsTest, ShortOutputOptionAndDoubleDash) {
  EXPECT_EQ(ParseOk({"-o", "a.json", "192.0.2.1"}).output, "a.json");
  EXPECT_EQ(ParseOk({"-oa.json", "192.0.2.1"}).output, "a.json");
  // After "--" everything is an NE, even what looks like an option.
  CRunnerOptions o = ParseOk({"--format", "json", "--", "192.0.2.1"});
  EXPECT_EQ(o.format, EReportFormat::kJson);
  EXPECT_EQ(o.nes, Args({"192.0.2.1"}));
}

TEST(RunnerOptionsTest, SnmpV3Options) {
  CRunnerOptions o = ParseOk({"--snmp-version", "3", "--user", "disco", "--auth-protocol",
                              "SHA-256", "--auth-passphrase", "authpass1", "--priv-protocol",
                              "AES", "--priv-passphrase", "privpass1", "--context", "lab",
                              "192.0.2.1"});
  EXPECT_EQ(o.snmp.version, ESnmpVersion::kV3);
  EXPECT_EQ(o.snmp.user, "disco");
  EXPECT_EQ(o.snmp.auth, ESnmpAuth::kSHA256);
  EXPECT_EQ(o.snmp.authPassphrase, "authpass1");
  EXPECT_EQ(o.snmp.priv, ESnmpPriv::kAES);
  EXPECT_EQ(o.snmp.privPassphrase, "privpass1");
  EXPECT_EQ(o.snmp.context, "lab");
  // Authentication without privacy; a user alone (noAuthNoPriv).
  EXPECT_EQ(ParseOk({"--snmp-version", "3", "--user", "u", "--auth-protocol", "MD5",
                     "--auth-passphrase", "12345678", "192.0.2.1"})
                .snmp.priv,
            ESnmpPriv::kNone);
  EXPECT_EQ(ParseOk({"--snmp-version", "3", "--user", "u", "192.0.2.1"}).snmp.auth,
            ESnmpAuth::kNone);
}

TEST(RunnerOptionsTest, ReplayTakesTheWalkOptions) {
  TempDir dir;
  CRunnerOptions o =
      ParseOk({"--replay", dir.Path(), "--snmp-version", "1", "--max-repetitions", "5", "h"});
  EXPECT_EQ(o.replayDir, dir.Path());
  EXPECT_EQ(o.snmp.version, ESnmpVersion::kV1);
  EXPECT_EQ(o.snmp.maxRepetitions, 5);
}

TEST(RunnerOptionsTest, NeFilesKeepTheOrderOfTheCommandLine) {
  TempDir dir;
  std::string file = dir.WriteFile("nes.txt",
                                   "# lab routers\n"
                                   "  192.0.2.1   # r1\n"
                                   "\n"
                                   "r2.lab.example\n"
                                   "2001:db8::3/48\n");
  CRunnerOptions o = ParseOk({"198.51.100.1", "--ne-file", file, "h9"});
  EXPECT_EQ(o.nes, Args({"198.51.100.1", "192.0.2.1", "r2.lab.example", "2001:db8::3/48", "h9"}));
}

TEST(RunnerOptionsTest, HelpAndVersionStopParsing) {
  CRunnerOptions o;
  std::string error;
  EXPECT_EQ(DEParseRunnerOptions({"--help"}, &o, &error), ERunnerCommand::kHelp);
  EXPECT_EQ(DEParseRunnerOptions({"-h", "--bogus"}, &o, &error), ERunnerCommand::kHelp);
  EXPECT_EQ(DEParseRunnerOptions({"192.0.2.1", "--version"}, &o, &error),
            ERunnerCommand::kVersion);
  EXPECT_NE(std::string(DERunnerUsage()).find("usage: ipv6disco [options] NE..."),
            std::string::npos);
  EXPECT_EQ(std::string(DERunnerVersion()).back(), '\n');
}

struct ErrorCase {
  Args args;
  std::string message;
};

TEST(RunnerOptionsTest, UsageErrorsGiveTheWholeMessage) {
  TempDir dir;
  const std::string file = dir.WriteFile("plain", "x");
  const std::string badNes = dir.WriteFile("bad-nes", "192.0.2.1\n\n  10.1.2  # typo\n");
  const std::string missing = dir.Path() + "/missing";
  const std::vector<ErrorCase> cases = {
      {{}, "ipv6disco: no NE given: name NEs as arguments or with --ne-file (see ipv6disco --help)"},
      {{"--bogus", "h"}, "ipv6disco: unknown option '--bogus' (see ipv6disco --help)"},
      {{"--bogus=1", "h"}, "ipv6disco: unknown option '--bogus' (see ipv6disco --help)"},
      {{"-x", "h"}, "ipv6disco: unknown option '-x' (see ipv6disco --help)"},
      {{"h", "--threads"}, "ipv6disco: option '--threads' needs a value"},
      {{"--help=yes"}, "ipv6disco: option '--help' takes no value"},
      {{"--threads", "0", "h"}, "ipv6disco: --threads: '0' is not a number from 1 to 1024"},
      {{"--threads", "2x", "h"}, "ipv6disco: --threads: '2x' is not a number from 1 to 1024"},
      {{"--threads=-1", "h"}, "ipv6disco: --threads: '-1' is not a number from 1 to 1024"},
      {{"--port", "65536", "h"}, "ipv6disco: --port: '65536' is not a number from 1 to 65535"},
      {{"--port", "", "h"}, "ipv6disco: --port: '' is not a number from 1 to 65535"},
      {{"--timeout", "0", "h"},
       "ipv6disco: --timeout: '0' is not a number of seconds from 0.001 to 3600"},
      {{"--timeout", "1.2.3", "h"},
       "ipv6disco: --timeout: '1.2.3' is not a number of seconds from 0.001 to 3600"},
      {{"--timeout", "3601", "h"},
       "ipv6disco: --timeout: '3601' is not a number of seconds from 0.001 to 3600"},
      {{"--retries", "101", "h"}, "ipv6disco: --retries: '101' is not a number from 0 to 100"},
      {{"--max-repetitions", "0", "h"},
       "ipv6disco: --max-repetitions: '0' is not a number from 1 to 1000"},
      {{"--snmp-version", "2", "h"}, "ipv6disco: --snmp-version: '2' is not 1, 2c or 3"},
      {{"--format", "xml", "h"}, "ipv6disco: --format: 'xml' is not text, json or dot"},
      {{"--trace-level", "5", "h"}, "ipv6disco: --trace-level: '5' is not a level from 0 to 4"},
      {{"--etc-dir", missing, "h"}, "ipv6disco: --etc-dir: '" + missing + "' is not a folder"},
      {{"--var-dir", file, "h"}, "ipv6disco: --var-dir: '" + file + "' is not a folder"},
      {{"--replay", missing, "h"}, "ipv6disco: --replay: '" + missing + "' is not a folder"},
      {{"--plugin", "", "h"}, "ipv6disco: --plugin: empty path"},
      {{"-o", "", "h"}, "ipv6disco: --output: empty path"},
      {{"--ne-file", missing}, "ipv6disco: cannot read NE file '" + missing +
                                   "': No such file or directory"},
      {{"--ne-file", badNes}, "ipv6disco: " + badNes + ":3: NE '10.1.2': not an address or a node name"},
      {{""}, "ipv6disco: empty NE argument"},
      {{"2001:db8::1/129"}, "ipv6disco: NE '2001:db8::1/129': prefix length '129' is not a number "
                            "from 0 to 128"},
      {{"192.0.2.1/33"}, "ipv6disco: NE '192.0.2.1/33': prefix length '33' is not a number from "
                         "0 to 32"},
      {{"192.0.2.1/"}, "ipv6disco: NE '192.0.2.1/': prefix length '' is not a number from 0 to 32"},
      {{"r1/24"}, "ipv6disco: NE 'r1/24': 'r1' is not an IPv4 or IPv6 address"},
      {{"2001:db8::zz"}, "ipv6disco: NE '2001:db8::zz': not an IPv6 address"},
      {{"r1 lab"}, "ipv6disco: NE 'r1 lab': not an address or a node name"},
      {{"999.1.1.1"}, "ipv6disco: NE '999.1.1.1': not an address or a node name"},
      {{"--user", "u", "h"}, "ipv6disco: --user applies to SNMPv3 only (--snmp-version 3)"},
      {{"--context", "c", "h"}, "ipv6disco: --context applies to SNMPv3 only (--snmp-version 3)"},
      {{"--snmp-version", "3", "h"}, "ipv6disco: --snmp-version 3 needs --user"},
      {{"--snmp-version", "3", "--user", "u", "--community", "c", "h"},
       "ipv6disco: --community applies to SNMPv1 and SNMPv2c only"},
      {{"--snmp-version", "3", "--user", "u", "--auth-protocol", "SHA", "h"},
       "ipv6disco: --auth-protocol needs --auth-passphrase"},
      {{"--snmp-version", "3", "--user", "u", "--auth-passphrase", "12345678", "h"},
       "ipv6disco: --auth-passphrase needs --auth-protocol"},
      {{"--snmp-version", "3", "--user", "u", "--auth-passphrase", "1234567", "h"},
       "ipv6disco: --auth-passphrase: at least 8 characters are needed"},
      {{"--snmp-version", "3", "--user", "u", "--auth-protocol", "SHA1", "h"},
       "ipv6disco: --auth-protocol: 'SHA1' is not MD5, SHA, SHA-224, SHA-256, SHA-384 or SHA-512"},
      {{"--snmp-version", "3", "--user", "u", "--priv-protocol", "3DES", "h"},
       "ipv6disco: --priv-protocol: '3DES' is not DES or AES"},
      {{"--snmp-version", "3", "--user", "u", "--priv-protocol", "AES", "--priv-passphrase",
        "12345678", "h"},
       "ipv6disco: --priv-protocol needs --auth-protocol (SNMPv3 has no privacy without "
       "authentication)"},
      {{"--replay", dir.Path(), "--community", "c", "h"},
       "ipv6disco: --community has no effect with --replay"},
      {{"--replay", dir.Path(), "--timeout", "3", "h"},
       "ipv6disco: --timeout has no effect with --replay"},
  };
  for (const ErrorCase& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) shown += "[" + a + "]";
    CRunnerOptions options;
    std::string error;
    EXPECT_EQ(DEParseRunnerOptions(c.args, &options, &error), ERunnerCommand::kUsageError)
        << "args " << shown;
    EXPECT_EQ(error, c.message) << "args " << shown;
  }
}

}  // namespace
