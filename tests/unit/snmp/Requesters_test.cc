// The requesters: the replay one on the recorded test devices, with the object table it types values by, and
// the live one's refusal of options that cannot work (its traffic is tested against snmpsim).
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/MibObjectTable.h"
#include "snmp/NetSnmpRequester.h"
#include "snmp/ReplayRequester.h"
#include "snmp/RequesterErrors.h"
#include "tests/support/SnmpTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kDevices = std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/devices";
const char kRouter[] = "2001:db8:1::1", kHost[] = "2001:db8:1::5", kV4[] = "192.0.2.1";
const char kSilent[] = "198.51.100.11", kOdd[] = "192.0.2.66";  // kOdd: wrong types, bad indexes
const char kRouterLong[] = "2001:0DB8:0001:0000:0000:0000:0000:0001";
using Lines = std::vector<std::string>;
const std::string kR1 = "0 = text:R1 IPv6 test router, release 15.2";
const std::string kPfx = "32.1.13.184.0.", kZ = ".0.0.0.0.0.0.0";

TEST(ReplayRequesterTest, AnswersGetsAndWalksTypedByTheObjectsSyntaxAndReportsBadRequests) {
  const std::string rows[][3] = {
      // address, "object instance" for a GET ("-" for none) or the column alone for a walk, rows joined by
      // "; " and then " !unknown" (object) or " !bad instance" for each report
      {kRouter, "sysDescr 0", kR1}, {kRouter, "sysDescr -", kR1}, {kRouterLong, "sysDescr 0", kR1},
      {kRouter, "sysObjectID 0", "0 = text:1.3.6.1.4.1.8072.3.2.10"},
      {kRouter, "ipv6Forwarding 0", "0 = int:1"}, {kV4, "ipv6Forwarding 0", "<null var-op>"},
      {kHost, "sysDescr 0", "0 = text:H5 IPv6 test host"},          // a walk file
      {kSilent, "sysDescr 0", "<null var-op>"},                     // no file: silent
      {"../devices/2001:db8:1::1", "sysDescr 0", "<null var-op>"},  // nothing outside the folder
      {kOdd, "sysDescr 0", "0 = int:42"},                           // converted by the type sent
      {kOdd, "sysObjectID 0", "0 = text:6E:6F:74:20:61:6E:20:6F:69:64"},
      {kOdd, "ipForwarding 0", "0 = text:31"}, {kOdd, "ipv6RouteValid", ""},
      {kRouter, "ipv6IfDescr 3", "3 = text:eth1"}, {kRouter, "ipv6IfDescr 5", "<null var-op>"},
      {kRouter, "ipv6AddrPrefixOnLinkFlag 3.8." + kPfx + "2.0.0.64",
       "3." + kPfx + "2.0.0" + kZ + ".0.64 = int:1"},
      {kRouter, "ifDescr 0", "<null var-op> !unknown"}, {kRouter, "- 0", "<null var-op> !unknown"},
      {kRouter, "ipv6IfDescription", "<null list> !unknown"},
      {kRouter, "sysDescr zero", "<null var-op> !bad instance"},
      // Prefix rows lose the length octet, short prefixes are padded.
      {kRouter, "ipv6AddrPrefixAdvValidLifetime", "2." + kPfx + "1.0.0" + kZ + ".0.64 = int:2592000; 3." +
       kPfx + "2.0.0" + kZ + ".0.64 = int:2592000; 3.254.192.0.0.0.0.0.1.0" + kZ + ".64 = int:2592000; 4." +
       kPfx + "3.0.0" + kZ + ".0.64 = int:2592000; 5." + kPfx + "4.0.0" + kZ + ".0.64 = int:4294967295"},
      {kHost, "ipv6IfPhysicalAddress", "1 = text:; 2 = text:00:00:5E:00:53:05"}, {kV4, "ipv6IfDescr", ""},
      {kSilent, "ipv6IfDescr", "<null list>"}, {kRouter, "ipv6IfIndex", ""}, {kRouter, "ipv6AddrAddress", ""},
      {kOdd, "ipv6IfDescr", "1 = int:7; 2 = text:eth\xe9"},
      {kOdd, "ipv6IfAdminStatus", "1 = int:-2147483648; 2 = null"},
      {kOdd, "ipv6AddrPfxLength", "1.32.1.13.184 = int:64; 1.300.1.13.184.0.102" + kZ + ".0.0.1 = int:64; " +
       "2." + kPfx + "102" + kZ + ".0.0.2.9 = int:64"},
      {kOdd, "ipv6AddrPrefixOnLinkFlag", "1.16.32.1.13.184.64 = int:1; 1.20." + kPfx + "102" + kZ +
       ".0.0.0.0.0.0.0.64 = int:1; 2." + kPfx + "0.0.0.0" + kZ + ".32 = int:1; 3 = int:1; 4." + kPfx + "102" + kZ +
       ".0.0.0.120 = int:1"},
  };
  CReplayRequester replay(kDevices);
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0] + " " + row[1]);
    KelErrorCapture errors;
    auto record = RecordAt(row[0]);
    const size_t space = row[1].find(' ');
    const bool walk = space == std::string::npos;
    const std::string object = row[1].substr(0, space), instance = row[1].substr(space + 1);
    const char* name = object == "-" ? nullptr : object.c_str();
    const char* at = instance == "-" ? nullptr : instance.c_str();
    std::string got = walk ? "" : GetText(&replay, record.get(), name, at);
    for (const std::string& line : walk ? WalkText(&replay, record.get(), name) : Lines{}) {
      got += (got.empty() ? "" : "; ") + line;
    }
    for (const KelErrorReport& report : errors.Reports()) {
      got += report.code == snmp::kErrUnknownObject ? " !unknown"
           : report.code == snmp::kErrBadInstance   ? " !bad instance" : " !other";
    }
    EXPECT_EQ(got, row[2]);
  }
}

TEST(ReplayRequesterTest, MalformedFileIsReportedOnceAndServesWhatItCould) {
  TempDir dir;
  dir.WriteFile("192.0.2.7.snmprec", "1.3.6.1.2.1.1.1.0|4|partly broken\n1.3.6.1.2.1.4.1.0|2|forwarding\n"
                "1.3.6.1.2.1.55.1.1.0|2|1\n1.3.6.1.2.1.55.1.1.0|2|2\n1.3.6.1.2.1.55.1.5.1.2.1|4\n");
  dir.WriteFile("192.0.2.9.walk/placeholder", "");  // a folder where a file should be
  KelErrorCapture errors;
  CReplayRequester replay(dir.Path());
  auto broken = RecordAt("192.0.2.7");
  EXPECT_EQ(GetText(&replay, broken.get(), "sysDescr"), "0 = text:partly broken");
  EXPECT_EQ(GetText(&replay, broken.get(), "ipForwarding"), "<null var-op>");
  EXPECT_EQ(GetText(&replay, broken.get(), "ipv6Forwarding"), "0 = int:1");  // first kept
  EXPECT_TRUE(WalkText(&replay, broken.get(), "ipv6IfDescr").empty());
  EXPECT_EQ(GetText(&replay, RecordAt("192.0.2.9").get(), "sysDescr"), "<null var-op>");
  ASSERT_EQ(errors.Count(snmp::kErrReplayFile), 1);
  EXPECT_EQ(errors.Reports()[0].message, "replay file " + dir.Path() + "/192.0.2.7.snmprec: 3 problems; "
            "line 2: bad value for tag 2; line 5: not OID|TAG|VALUE; repeated OID 1.3.6.1.2.1.55.1.1.0 "
            "(the first is kept)");
}

TEST(ReplayRequesterTest, FullRouterReadCostsTheExpectedRequestsAndSoDoManyThreadsAtOnce) {
  CReplayRequester replay(kDevices);
  const Lines expected = FullDump(&replay, RecordAt(kRouter).get());
  EXPECT_EQ(expected.size(), 4u + 5 * 9 + 4 + 12 * 4 + 5 * 4 + 6 * 3 + 9 * 4);
  const snmp::RequestCounts counts = replay.DSRCounts();  // every column fits one GETBULK of 20:
  EXPECT_EQ(std::make_tuple(counts.gets, counts.walks, counts.pdus), std::make_tuple(4, 25, 29));
  CReplayRequester fresh(kDevices);  // the router's file loaded by the racing threads
  FullDump(&fresh, RecordAt(kSilent).get());
  EXPECT_EQ(fresh.DSRCounts().noAnswer, 29);
  std::vector<Lines> results(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < results.size(); ++i) {
    const char* address = i % 2 ? kRouter : kRouterLong;
    threads.emplace_back([&, address, i] { results[i] = FullDump(&fresh, RecordAt(address).get()); });
  }
  for (std::thread& t : threads) t.join();
  for (const auto& result : results) EXPECT_EQ(result, expected);
}

// The object table against the public object list of RFC 1213 / 3418 / 2465 kept beside the fixtures.
TEST(MibObjectTableTest, MatchesThePublicObjectListRowByRow) {
  std::ifstream in(std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/mib-objects.tsv");
  size_t count = 0;
  for (std::string line, name, oid, syntax; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::getline(std::getline(std::getline(fields, name, '\t'), oid, '\t'), syntax, '\t');
    ++count;
    SCOPED_TRACE(name);
    const snmp::MibObject* object = snmp::FindMibObject(name.c_str());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(snmp::OidText(object->oid), oid);
    auto has = [&](const char* text) { return syntax.find(text) != std::string::npos; };
    using S = snmp::EMibSyntax;
    const S want = has("DisplayString") ? S::kDisplayString : has("OBJECT IDENTIFIER") ? S::kObjectId
        : has("OCTET STRING") || has("Ipv6Address") || has("PhysAddress") ? S::kOctets : S::kInteger;
    EXPECT_EQ(object->syntax, want);
    EXPECT_EQ(object->indexOnly, has("not-accessible"));
  }
  EXPECT_EQ(snmp::MibObjects().size(), count);
}

CNetSnmpOptions With(void (*change)(CNetSnmpOptions&)) { CNetSnmpOptions o; return change(o), o; }
CNetSnmpOptions V3(ESnmpAuth auth, const char* authPass, ESnmpPriv priv, const char* privPass) {
  CNetSnmpOptions o;
  o.version = ESnmpVersion::kV3, o.user = "disco", o.auth = auth, o.authPassphrase = authPass;
  o.priv = priv, o.privPassphrase = privPass;
  return o;
}

TEST(LiveRequesterTest, RefusesOptionsThatCannotWork) {
  using A = ESnmpAuth;
  using P = ESnmpPriv;
  const struct {
    CNetSnmpOptions options;
    const char* error;  // how the refusal begins, "" when accepted
  } rows[] = {
      {With([](auto& o) { o.port = 1, o.timeoutMs = 1, o.retries = 0, o.maxRepetitions = 1; }), ""},
      {With([](auto& o) { o.port = 65535, o.version = ESnmpVersion::kV1; }), ""},
      {With([](auto& o) { o.port = 0; }), "port outside 1 to 65535"},
      {With([](auto& o) { o.port = 65536; }), "port outside 1 to 65535"},
      {With([](auto& o) { o.timeoutMs = 0; }), "timeout below 1 ms"},
      {With([](auto& o) { o.retries = -1; }), "negative retries"},
      {With([](auto& o) { o.maxRepetitions = 0; }), "max-repetitions below 1"},
      {With([](auto& o) { o.version = ESnmpVersion::kV3; }), "SNMPv3 without user"},
      {V3(A::kNone, "", P::kNone, ""), ""}, {V3(A::kSHA, "authpass123", P::kAES, "privpass123"), ""},
      {V3(A::kNone, "", P::kAES, "privpass123"), "SNMPv3 privacy without authentication"},
      {V3(A::kSHA, "short", P::kNone, ""), "authentication pass phrase: "},
      {V3(A::kMD5, "authpass123", P::kDES, "1234567"), "privacy pass phrase: "},
  };
  for (const auto& row : rows) {
    std::string error = "unset";
    std::unique_ptr<CNetSnmpRequester> requester = CNetSnmpRequester::Create(row.options, &error);
    EXPECT_EQ(requester == nullptr, *row.error != '\0') << &row - rows << ": " << error;
    EXPECT_EQ(error.rfind(*row.error ? row.error : "unset", 0), 0u) << &row - rows << ": " << error;
  }
}

}  // namespace
