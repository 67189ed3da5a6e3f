// The runner's command line: what each option sets, and the whole message of each usage error.
#include <gtest/gtest.h>

#include <map>
#include "engine/RunnerOptions.h"
#include "tests/support/TempDir.h"

namespace {

using Args = std::vector<std::string>;
using Fields = std::map<std::string, std::string>;

Fields Seen(const CRunnerOptions& o) {  // every field as text, NEs joined by spaces
  const CNetSnmpOptions& s = o.snmp;
  auto n = [](auto v) { return std::to_string(static_cast<int>(v)); };
  std::string nes, prefixes;
  for (const std::string& ne : o.nes) nes += (nes.empty() ? "" : " ") + ne;
  for (const auto* list : {&o.crawlLimits.scope, &o.crawlLimits.exclude}) {
    prefixes += list == &o.crawlLimits.scope ? "" : " -";
    for (const CIpv6Prefix& p : *list) prefixes += " " + n(p.bytes[0]) + "/" + n(p.length);
  }
  return {{"nes", nes}, {"plugin", o.plugin}, {"threads", n(o.threads)}, {"etc", o.etcDir},
          {"var", o.varDir}, {"version", n(s.version)}, {"community", s.community}, {"port", n(s.port)},
          {"ms", n(s.timeoutMs)}, {"retries", n(s.retries)}, {"reps", n(s.maxRepetitions)}, {"user", s.user},
          {"auth", n(s.auth)}, {"authP", s.authPassphrase}, {"priv", n(s.priv)}, {"privP", s.privPassphrase},
          {"context", s.context}, {"replay", o.replayDir}, {"hosts", o.hostsFile}, {"trace", n(o.traceLevel)},
          {"traceFile", o.traceFile}, {"format", n(o.format)}, {"output", o.output}, {"crawl", n(o.crawl)},
          {"hops", n(o.crawlLimits.maxHops)}, {"maxNes", n(o.crawlLimits.maxNes)}, {"prefixes", prefixes}};
}

TEST(RunnerOptionsTest, EachCommandLineSetsExactlyItsFields) {
  TempDir dir;
  const std::string d = dir.Path(), v3 = "--snmp-version=3";
  const std::string nes = dir.WriteFile("nes", "# lab\r\n  192.0.2.1 \t# r1\r\n\n#\nr2.lab\n::3/48");
  const std::pair<Args, Fields> rows[] = {  // arguments (the NE h added), and the fields they change
      {{"--format", "json", "--", "-x"}, {{"format", "1"}, {"nes", "-x h"}}},
      // The last one counts; 12 characters and nine digits fit.
      {{"--timeout=9", "--timeout", "0.0010000000", "--retries=000000007"}, {{"ms", "1"}, {"retries", "7"}}},
      {{v3, "--user=u", "--auth-protocol=SHA-256", "--auth-passphrase=authpass", "--priv-protocol=AES",
        "--priv-passphrase=privpass", "--context=lab"}, {{"version", "2"}, {"user", "u"}, {"auth", "4"},
        {"authP", "authpass"}, {"priv", "2"}, {"privP", "privpass"}, {"context", "lab"}}},
      {{"198.51.100.1", "--ne-file", nes}, {{"nes", "198.51.100.1 192.0.2.1 r2.lab ::3/48 h"}}},
      {{"--plugin", "/x/p.so", "--threads", "1024", "--etc-dir", d, "--var-dir", d, "--snmp-version", "1",
        "--community", "lab", "--port", "1161", "--timeout", "2.5", "--retries", "0", "--max-repetitions",
        "50", "--hosts", "/x/h", "--trace-level", "4", "--trace-file", "/x/t", "--format", "dot", "--output",
        "/x/o"},
       {{"plugin", "/x/p.so"}, {"threads", "1024"}, {"etc", d}, {"var", d}, {"version", "0"},
        {"community", "lab"}, {"port", "1161"}, {"ms", "2500"}, {"retries", "0"}, {"reps", "50"},
        {"hosts", "/x/h"}, {"trace", "4"}, {"traceFile", "/x/t"}, {"format", "2"}, {"output", "/x/o"}}},
      {{"--max-repetitions=1000", "--port=1", "-oa"}, {{"reps", "1000"}, {"port", "1"}, {"output", "a"}}},
      {{"--crawl", "--max-hops", "0", "--max-nes=1", "--scope", "2001:db8::/32", "--exclude", "fe80::/10",
        "--scope=fd00::/8"}, {{"crawl", "1"}, {"hops", "0"}, {"maxNes", "1"}, {"prefixes", " 32/32 253/8 - 254/10"}}},
  };
  for (auto [args, changed] : rows) {
    SCOPED_TRACE(testing::PrintToString(args));
    CRunnerOptions options;
    std::string error;
    args.push_back("h");
    ASSERT_EQ(DEParseRunnerOptions(args, &options, &error), ERunnerCommand::kRun) << error;
    Fields expected = Seen(CRunnerOptions());  // the defaults, with the NE h
    expected["nes"] = "h";
    for (const auto& [field, value] : changed) expected[field] = value;
    EXPECT_EQ(Seen(options), expected);
  }
  CRunnerOptions o;
  std::string e;
  EXPECT_EQ(DEParseRunnerOptions({"-h", "--bogus"}, &o, &e), ERunnerCommand::kHelp);
  EXPECT_EQ(DEParseRunnerOptions({"h", "--version"}, &o, &e), ERunnerCommand::kVersion);
}

TEST(RunnerOptionsTest, UsageErrorsGiveTheWholeMessage) {
  TempDir dir;
  const std::string badNes = dir.WriteFile("bad-nes", "192.0.2.1\n\n  10.1.2  # typo\n");
  const std::string v3 = "--snmp-version=3", u = "--user=u", missing = dir.Path() + "/missing";
  std::string lines, told;  // 22 bad lines: the first 20 are told
  for (int i = 1; i <= 22; ++i) lines += "a b\n";
  const std::string manyBad = dir.WriteFile("many", lines);
  for (int i = 1; i <= 20; ++i) told += manyBad + ":" + std::to_string(i) + ": NE 'a b': not an address or a node name\n";
  const std::pair<Args, std::string> rows[] = {
      {{}, "ipv6disco: no NE given: name NEs as arguments or with --ne-file (see ipv6disco --help)"},
      {{"--bogus=1", "h"}, "ipv6disco: unknown option '--bogus' (see ipv6disco --help)"},
      {{"h", "--threads"}, "ipv6disco: option '--threads' needs a value"},
      {{"--help=yes"}, "ipv6disco: option '--help' takes no value"},
      {{"--threads", "2x", "h"}, "ipv6disco: --threads: '2x' is not a number from 1 to 1024"},
      {{"--threads", "0000000001", "h"}, "ipv6disco: --threads: '0000000001' is not a number from 1 to 1024"},
      {{"--max-repetitions", "1001", "h"},
       "ipv6disco: --max-repetitions: '1001' is not a number from 1 to 1000"},
      {{"--timeout", "1.00000000000", "h"},
       "ipv6disco: --timeout: '1.00000000000' is not a number of seconds from 0.001 to 3600"},
      {{"--trace-level", "6", "h"}, "ipv6disco: --trace-level: '6' is not a level from 0 to 5"},
      {{"-o", "", "h"}, "ipv6disco: --output: empty path"},
      {{"--ne-file", missing}, "ipv6disco: cannot read NE file '" + missing + "': No such file or directory"},
      {{"--ne-file", badNes}, "ipv6disco: " + badNes + ":3: NE '10.1.2': not an address or a node name"},
      {{"--ne-file", manyBad}, "ipv6disco: " + told + manyBad + ": 2 more lines not used"},
      {{"--user", "u", "h"}, "ipv6disco: --user applies to SNMPv3 only (--snmp-version 3)"},
      {{v3, "h"}, "ipv6disco: --snmp-version 3 needs --user"},
      {{v3, u, "--community", "c", "h"}, "ipv6disco: --community applies to SNMPv1 and SNMPv2c only"},
      {{v3, u, "--auth-protocol", "SHA", "h"}, "ipv6disco: --auth-protocol needs --auth-passphrase"},
      {{v3, u, "--auth-passphrase", "12345678", "h"}, "ipv6disco: --auth-passphrase needs --auth-protocol"},
      {{v3, u, "--priv-protocol", "AES", "--priv-passphrase", "12345678", "h"},
       "ipv6disco: --priv-protocol needs --auth-protocol (SNMPv3 has no privacy without authentication)"},
      {{"--replay", dir.Path(), "--timeout", "3", "h"}, "ipv6disco: --timeout has no effect with --replay"},
      {{"--scope", "::/0", "h"}, "ipv6disco: --scope needs --crawl"},
      {{"--crawl", "--max-nes", "1", "a", "h"}, "ipv6disco: --max-nes 1 is below the 2 NEs given"},
      {{"--crawl", "--max-nes", "0", "h"}, "ipv6disco: --max-nes: '0' is not a number from 1 to 1000000"},
      {{"--crawl", "--exclude", "2001:db8::/129", "h"},
       "ipv6disco: --exclude: '2001:db8::/129' is not an IPv6 prefix (such as 2001:db8::/32)"},
      {{"--crawl", "--scope", "10.0.0.0/8", "h"}, "ipv6disco: --scope: '10.0.0.0/8' is not an IPv6 prefix (such as 2001:db8::/32)"},
      // Input comes back escaped and cut short: one line of text whatever it held.
      {{std::string("r1\0\x1b[2J\\\xe9/64", 12)}, "ipv6disco: NE 'r1\\x00\\x1b[2J\\x5c\\xe9/64': "
       "'r1\\x00\\x1b[2J\\x5c\\xe9' is not an IPv4 or IPv6 address"},
      {{std::string(5000, 'x') + "/64"}, "ipv6disco: NE '" + std::string(200, 'x') + "...': '" +
       std::string(200, 'x') + "...' is not an IPv4 or IPv6 address"},
  };
  for (const auto& [args, message] : rows) {
    CRunnerOptions options;
    std::string error;
    SCOPED_TRACE(testing::PrintToString(args));
    EXPECT_EQ(DEParseRunnerOptions(args, &options, &error), ERunnerCommand::kUsageError);
    EXPECT_EQ(error, message);
  }
}

}  // namespace
