// The runner's command line: what each option sets, and the whole message
// of every usage error.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/RunnerOptions.h"
#include "tests/support/TempDir.h"

namespace {

using Args = std::vector<std::string>;
using Fields = std::map<std::string, std::string>;

// Every field of the options as text; NEs joined by spaces.
Fields Seen(const CRunnerOptions& o) {
  static const char* const kVersions[] = {"1", "2c", "3"};
  const CNetSnmpOptions& s = o.snmp;
  auto n = [](auto v) { return std::to_string(static_cast<int>(v)); };
  std::string nes;
  for (const std::string& ne : o.nes) nes += (nes.empty() ? "" : " ") + ne;
  return {{"nes", nes}, {"plugin", o.plugin}, {"threads", n(o.threads)}, {"etc", o.etcDir},
          {"var", o.varDir}, {"version", kVersions[static_cast<int>(s.version)]},
          {"community", s.community}, {"port", n(s.port)}, {"ms", n(s.timeoutMs)},
          {"retries", n(s.retries)}, {"reps", n(s.maxRepetitions)}, {"user", s.user},
          {"auth", n(s.auth)}, {"authPass", s.authPassphrase}, {"priv", n(s.priv)},
          {"privPass", s.privPassphrase}, {"context", s.context}, {"replay", o.replayDir},
          {"hosts", o.hostsFile}, {"trace", n(o.traceLevel)}, {"traceFile", o.traceFile},
          {"format", n(o.format)}, {"output", o.output}};
}

// The defaults with the NE 192.0.2.1; rows list only what differs.
const Fields kDefaults = {
    {"nes", "192.0.2.1"}, {"plugin", ""}, {"threads", "0"}, {"etc", ""}, {"var", ""},
    {"version", "2c"}, {"community", "public"}, {"port", "161"}, {"ms", "1000"}, {"retries", "1"},
    {"reps", "20"}, {"user", ""}, {"auth", "0"}, {"authPass", ""}, {"priv", "0"},
    {"privPass", ""}, {"context", ""}, {"replay", ""}, {"hosts", ""}, {"trace", "0"},
    {"traceFile", ""}, {"format", "0"}, {"output", ""}};

std::string Shown(const Args& args) {
  std::string shown;
  for (const std::string& a : args) shown += "[" + a + "]";
  return shown;
}

TEST(RunnerOptionsTest, EachCommandLineSetsExactlyItsFields) {
  TempDir dir;
  const std::string nes = dir.WriteFile("nes.txt", "# lab routers\n  192.0.2.1   # r1\n\n"
                                                   "r2.lab.example\n2001:db8::3/48\n");
  const std::string v3 = "--snmp-version=3";
  struct Row {
    Args args;
    ERunnerCommand command;
    Fields changed;  // from kDefaults
  } rows[] = {
      {{"192.0.2.1"}, ERunnerCommand::kRun, {}},
      {{"-o", "a.json", "192.0.2.1"}, ERunnerCommand::kRun, {{"output", "a.json"}}},
      {{"-oa.json", "192.0.2.1"}, ERunnerCommand::kRun, {{"output", "a.json"}}},
      // After "--" everything is an NE, even what looks like an option.
      {{"--format", "json", "--", "-x"}, ERunnerCommand::kRun, {{"format", "1"}, {"nes", "-x"}}},
      {{"--timeout", "1", "--timeout", "0.0010000000", "192.0.2.1"}, ERunnerCommand::kRun,
       {{"ms", "1"}}},  // the last one counts; 12 characters fit
      {{"--retries", "000000007", "--threads", "1024", "192.0.2.1"}, ERunnerCommand::kRun,
       {{"retries", "7"}, {"threads", "1024"}}},  // nine digits fit
      {{v3, "--user", "disco", "--auth-protocol", "SHA-256", "--auth-passphrase", "authpass1",
        "--priv-protocol", "AES", "--priv-passphrase", "privpass1", "--context", "lab", "h"},
       ERunnerCommand::kRun,
       {{"nes", "h"}, {"version", "3"}, {"user", "disco"}, {"auth", "4"}, {"authPass", "authpass1"},
        {"priv", "2"}, {"privPass", "privpass1"}, {"context", "lab"}}},
      {{v3, "--user", "u", "--auth-protocol", "MD5", "--auth-passphrase", "12345678", "192.0.2.1"},
       ERunnerCommand::kRun,
       {{"version", "3"}, {"user", "u"}, {"auth", "1"}, {"authPass", "12345678"}}},
      {{v3, "--user", "u", "192.0.2.1"}, ERunnerCommand::kRun, {{"version", "3"}, {"user", "u"}}},
      {{"--replay", dir.Path(), "--snmp-version", "1", "--max-repetitions", "5", "192.0.2.1"},
       ERunnerCommand::kRun, {{"replay", dir.Path()}, {"version", "1"}, {"reps", "5"}}},
      {{"--replay", dir.Path(), v3, "192.0.2.1"}, ERunnerCommand::kRun,
       {{"replay", dir.Path()}, {"version", "3"}}},  // a replay needs no user
      {{"198.51.100.1", "--ne-file", nes, "h9"}, ERunnerCommand::kRun,
       {{"nes", "198.51.100.1 192.0.2.1 r2.lab.example 2001:db8::3/48 h9"}}},
      {{"--help"}, ERunnerCommand::kHelp, {}},
      {{"-h", "--bogus"}, ERunnerCommand::kHelp, {}},
      {{"192.0.2.1", "--version"}, ERunnerCommand::kVersion, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("args " + Shown(row.args));
    CRunnerOptions options;
    std::string error;
    ASSERT_EQ(DEParseRunnerOptions(row.args, &options, &error), row.command) << error;
    EXPECT_EQ(error, "");
    if (row.command != ERunnerCommand::kRun) continue;
    Fields expected = kDefaults;
    for (const auto& [field, value] : row.changed) expected[field] = value;
    EXPECT_EQ(Seen(options), expected);
  }
  EXPECT_NE(std::string(DERunnerUsage()).find("usage: ipv6disco [options] NE..."),
            std::string::npos);
  EXPECT_EQ(std::string(DERunnerVersion()).back(), '\n');
}

TEST(RunnerOptionsTest, EveryValueOptionInBothSpellings) {
  TempDir dir;
  const std::vector<std::pair<std::string, std::string>> given = {
      {"--plugin", "/x/lib.so"}, {"--threads", "7"}, {"--etc-dir", dir.Path()},
      {"--var-dir", dir.Path()}, {"--snmp-version", "1"}, {"--community", "lab"},
      {"--port", "1161"}, {"--timeout", "2.5"}, {"--retries", "0"}, {"--max-repetitions", "50"},
      {"--hosts", "/x/hosts"}, {"--trace-level", "4"}, {"--trace-file", "/x/trace"},
      {"--format", "dot"}, {"--output", "/x/out"}};
  for (bool joined : {false, true}) {
    SCOPED_TRACE(joined ? "--name=value" : "--name value");
    Args args = {"2001:db8::1/64"};
    for (const auto& [name, value] : given) {
      if (joined) args.push_back(name + "=" + value);
      else args.insert(args.end(), {name, value});
    }
    args.push_back("r1.lab.example");
    CRunnerOptions o;
    std::string error;
    ASSERT_EQ(DEParseRunnerOptions(args, &o, &error), ERunnerCommand::kRun) << error;
    Fields expected = kDefaults;
    for (const auto& [field, value] :
         Fields{{"nes", "2001:db8::1/64 r1.lab.example"}, {"plugin", "/x/lib.so"}, {"threads", "7"},
                {"etc", dir.Path()}, {"var", dir.Path()}, {"version", "1"}, {"community", "lab"},
                {"port", "1161"}, {"ms", "2500"}, {"retries", "0"}, {"reps", "50"},
                {"hosts", "/x/hosts"}, {"trace", "4"}, {"traceFile", "/x/trace"}, {"format", "2"},
                {"output", "/x/out"}}) {
      expected[field] = value;
    }
    EXPECT_EQ(Seen(o), expected);
  }
}

TEST(RunnerOptionsTest, UsageErrorsGiveTheWholeMessage) {
  TempDir dir;
  const std::string file = dir.WriteFile("plain", "x");
  const std::string badNes = dir.WriteFile("bad-nes", "192.0.2.1\n\n  10.1.2  # typo\n");
  const std::string missing = dir.Path() + "/missing";
  auto number = [](const std::string& option, const std::string& value, const std::string& what) {
    return "ipv6disco: " + option + ": '" + value + "' is not a number " + what;
  };
  const std::string seconds = "of seconds from 0.001 to 3600";
  const std::vector<std::pair<Args, std::string>> rows = {
      {{}, "ipv6disco: no NE given: name NEs as arguments or with --ne-file (see ipv6disco --help)"},
      {{"--bogus", "h"}, "ipv6disco: unknown option '--bogus' (see ipv6disco --help)"},
      {{"--bogus=1", "h"}, "ipv6disco: unknown option '--bogus' (see ipv6disco --help)"},
      {{"-x", "h"}, "ipv6disco: unknown option '-x' (see ipv6disco --help)"},
      {{"h", "--threads"}, "ipv6disco: option '--threads' needs a value"},
      {{"--help=yes"}, "ipv6disco: option '--help' takes no value"},
      {{"--threads", "0", "h"}, number("--threads", "0", "from 1 to 1024")},
      {{"--threads", "2x", "h"}, number("--threads", "2x", "from 1 to 1024")},
      {{"--threads=-1", "h"}, number("--threads", "-1", "from 1 to 1024")},
      {{"--threads", "0000000001", "h"}, number("--threads", "0000000001", "from 1 to 1024")},
      {{"--port", "65536", "h"}, number("--port", "65536", "from 1 to 65535")},
      {{"--port", "", "h"}, number("--port", "", "from 1 to 65535")},
      {{"--retries", "", "h"}, number("--retries", "", "from 0 to 100")},
      {{"--retries", "101", "h"}, number("--retries", "101", "from 0 to 100")},
      {{"--max-repetitions", "0", "h"}, number("--max-repetitions", "0", "from 1 to 1000")},
      {{"--max-repetitions", "1001", "h"}, number("--max-repetitions", "1001", "from 1 to 1000")},
      {{"--timeout", "0", "h"}, number("--timeout", "0", seconds)},
      {{"--timeout", "", "h"}, number("--timeout", "", seconds)},
      {{"--timeout", "1.2.3", "h"}, number("--timeout", "1.2.3", seconds)},
      {{"--timeout", "1e3", "h"}, number("--timeout", "1e3", seconds)},
      {{"--timeout", "3601", "h"}, number("--timeout", "3601", seconds)},
      {{"--timeout", "1.00000000000", "h"}, number("--timeout", "1.00000000000", seconds)},
      {{"--snmp-version", "2", "h"}, "ipv6disco: --snmp-version: '2' is not 1, 2c or 3"},
      {{"--format", "xml", "h"}, "ipv6disco: --format: 'xml' is not text, json or dot"},
      {{"--trace-level", "5", "h"}, "ipv6disco: --trace-level: '5' is not a level from 0 to 4"},
      {{"--etc-dir", missing, "h"}, "ipv6disco: --etc-dir: '" + missing + "' is not a folder"},
      {{"--var-dir", file, "h"}, "ipv6disco: --var-dir: '" + file + "' is not a folder"},
      {{"--replay", missing, "h"}, "ipv6disco: --replay: '" + missing + "' is not a folder"},
      {{"--plugin", "", "h"}, "ipv6disco: --plugin: empty path"},
      {{"-o", "", "h"}, "ipv6disco: --output: empty path"},
      {{"--ne-file", missing},
       "ipv6disco: cannot read NE file '" + missing + "': No such file or directory"},
      {{"--ne-file", badNes},
       "ipv6disco: " + badNes + ":3: NE '10.1.2': not an address or a node name"},
      {{""}, "ipv6disco: empty NE argument"},
      {{"2001:db8::1/129"},
       "ipv6disco: NE '2001:db8::1/129': prefix length '129' is not a number from 0 to 128"},
      {{"192.0.2.1/33"},
       "ipv6disco: NE '192.0.2.1/33': prefix length '33' is not a number from 0 to 32"},
      {{"192.0.2.1/"}, "ipv6disco: NE '192.0.2.1/': prefix length '' is not a number from 0 to 32"},
      {{"r1/24"}, "ipv6disco: NE 'r1/24': 'r1' is not an IPv4 or IPv6 address"},
      {{"2001:db8::zz"}, "ipv6disco: NE '2001:db8::zz': not an IPv6 address"},
      {{"r1 lab"}, "ipv6disco: NE 'r1 lab': not an address or a node name"},
      {{"999.1.1.1"}, "ipv6disco: NE '999.1.1.1': not an address or a node name"},
      {{"--user", "u", "h"}, "ipv6disco: --user applies to SNMPv3 only (--snmp-version 3)"},
      {{"--context", "c", "h"}, "ipv6disco: --context applies to SNMPv3 only (--snmp-version 3)"},
      {{"--snmp-version", "3", "h"}, "ipv6disco: --snmp-version 3 needs --user"},
      {{"--snmp-version=3", "--user=u", "--community", "c", "h"},
       "ipv6disco: --community applies to SNMPv1 and SNMPv2c only"},
      {{"--snmp-version=3", "--user=u", "--auth-protocol", "SHA", "h"},
       "ipv6disco: --auth-protocol needs --auth-passphrase"},
      {{"--snmp-version=3", "--user=u", "--auth-passphrase", "12345678", "h"},
       "ipv6disco: --auth-passphrase needs --auth-protocol"},
      {{"--snmp-version=3", "--user=u", "--auth-passphrase", "1234567", "h"},
       "ipv6disco: --auth-passphrase: at least 8 characters are needed"},
      {{"--snmp-version=3", "--user=u", "--auth-protocol", "SHA1", "h"},
       "ipv6disco: --auth-protocol: 'SHA1' is not MD5, SHA, SHA-224, SHA-256, SHA-384 or SHA-512"},
      {{"--snmp-version=3", "--user=u", "--priv-protocol", "3DES", "h"},
       "ipv6disco: --priv-protocol: '3DES' is not DES or AES"},
      {{"--snmp-version=3", "--user=u", "--priv-protocol", "AES", "--priv-passphrase", "12345678",
        "h"},
       "ipv6disco: --priv-protocol needs --auth-protocol (SNMPv3 has no privacy without "
       "authentication)"},
      {{"--replay", dir.Path(), "--community", "c", "h"},
       "ipv6disco: --community has no effect with --replay"},
      {{"--replay", dir.Path(), "--timeout", "3", "h"},
       "ipv6disco: --timeout has no effect with --replay"},
  };
  for (const auto& [args, message] : rows) {
    CRunnerOptions options;
    std::string error;
    EXPECT_EQ(DEParseRunnerOptions(args, &options, &error), ERunnerCommand::kUsageError)
        << "args " << Shown(args);
    EXPECT_EQ(error, message) << "args " << Shown(args);
  }
}

}  // namespace
