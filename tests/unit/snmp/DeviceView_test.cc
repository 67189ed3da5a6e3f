// What the agent gets, NE by NE, from devices that serve RFC 2465 fully, in
// part or not at all: through the replay requester, as the runner uses it.
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/ReplayRequester.h"
#include "snmp/RequesterErrors.h"
#include "tests/support/SnmpTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

using ::testing::ElementsAreArray;

const char kLinkLocal[] = "254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1";   // fe80::1
const char kGlobal[] = "32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.1";     // 2001:db8:1::1

struct Case {
  const char* name;
  std::string device;  // snmprec lines
  std::vector<std::pair<const char*, std::vector<std::string>>> asked;  // GET or walk -> rows
  const char* mib;     // CDiscoSnmpSummary::MibSource()
  long pdus;           // for the whole NE
  const char* report;  // the kErrNoIpv6Data message, "" for none
};

TEST(DeviceViewTest, EachNeGetsRfc2465FromWhateverTheDeviceServes) {
  const std::string g = kGlobal, ll = kLinkLocal;
  const Case cases[] = {
      {"IP-MIB only: translated, ipv6Forwarding from ipv6IpForwarding",
       "1.3.6.1.2.1.2.2.1.2.2|4|eth0\n1.3.6.1.2.1.2.2.1.7.2|2|1\n"
       "1.3.6.1.2.1.4.25.0|2|1\n"
       "1.3.6.1.2.1.4.34.1.3.1.4.192.0.2.1|2|2\n1.3.6.1.2.1.4.34.1.3.2.16." + g + "|2|2\n"
       "1.3.6.1.2.1.4.34.1.5.2.16." + g + "|6|1.3.6.1.2.1.4.32.1.5.2.2.16.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.0.64\n",
       {{"ipv6Forwarding", {"0 = int:1"}},
        {"ipv6AddrPfxLength", {"2." + g + " = int:64"}},
        {"ipv6AddrStatus", {}},
        {"ipv6IfDescr", {"2 = text:eth0"}},
        {"ipv6IfAdminStatus", {"2 = int:1"}}},
       "RFC 4293", 2 + 2 + 3, ""},
      {"part of ipv6IfTable: the missing columns filled for the device's rows",
       "1.3.6.1.2.1.2.2.1.9.2|67|77\n1.3.6.1.2.1.2.2.1.9.3|67|99\n"
       "1.3.6.1.2.1.2.2.1.7.2|2|1\n1.3.6.1.2.1.2.2.1.8.2|2|2\n"
       "1.3.6.1.2.1.2.2.1.7.3|2|2\n1.3.6.1.2.1.2.2.1.8.3|2|1\n"
       "1.3.6.1.2.1.4.34.1.3.4.20." + ll + ".0.0.0.2|2|2\n"
       "1.3.6.1.2.1.55.1.1.0|2|1\n1.3.6.1.2.1.55.1.5.1.2.2|4|eth0\n"
       "1.3.6.1.2.1.55.1.5.1.9.2|2|2\n1.3.6.1.2.1.55.1.5.1.9.3|2|2\n"
       "1.3.6.1.2.1.55.1.5.1.10.2|2|1\n1.3.6.1.2.1.55.1.5.1.10.3|2|2\n",
       {{"ipv6Forwarding", {"0 = int:1"}},
        {"ipv6IfAdminStatus", {"2 = int:1", "3 = int:2"}},  // 2: net-snmp's swap put right
        {"ipv6IfOperStatus", {"2 = int:2", "3 = int:2"}},
        {"ipv6IfDescr", {"2 = text:eth0"}},
        {"ipv6IfLastChange", {"2 = int:77"}},  // 3 carries no IPv6 address
        {"ipv6Forwarding", {"0 = int:1"}},      // asked again: answered without a request
        {"ipv6IfIdentifier", {"2 = text:00:00:00:00:00:00:00:01"}},
        {"ipv6IfIdentifierLength", {"2 = int:64"}}},
       "both", 1 + 1 + 3, ""},
      {"answers, but no IPv6 address in either MIB",
       "1.3.6.1.2.1.4.1.0|2|2\n1.3.6.1.2.1.4.34.1.3.1.4.192.0.2.1|2|2\n",
       {{"ipForwarding", {"0 = int:2"}}, {"ipv6AddrPfxLength", {}}, {"ipv6AddrType", {}},
        {"ipv6RouteNextHop", {}}},
       "", 1 + 2 + 2,
       "192.0.2.9 answers SNMP but has no IPv6 address in ipv6AddrTable (RFC 2465) nor in "
       "ipAddressTable (RFC 4293); empty in both MIBs: ipv6AddrTable, ipv6RouteTable"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.WriteFile("192.0.2.9.snmprec", c.device);
    CReplayRequester replay(dir.Path());
    KelErrorCapture errors;
    auto record = RecordAt("192.0.2.9");
    replay.DSRNeBegin();
    for (const auto& [name, rows] : c.asked) {
      const bool scalar = std::string(name).find("Forwarding") != std::string::npos;
      const std::vector<std::string> got = scalar ? std::vector<std::string>{GetText(
                                                        &replay, record.get(), name)}
                                                  : WalkText(&replay, record.get(), name);
      EXPECT_THAT(got, ElementsAreArray(rows)) << name;
    }
    const CDiscoSnmpSummary summary = replay.DSRNeEnd();
    EXPECT_EQ(summary.MibSource(), c.mib);
    EXPECT_EQ(replay.DSRCounts().pdus, c.pdus);
    ASSERT_EQ(summary.targets.size(), 1u);
    EXPECT_EQ(summary.targets[0].answered, summary.targets[0].requests);
    const std::string report = errors.Reports().empty() ? "" : errors.Reports()[0].message;
    EXPECT_EQ(report, c.report);
    EXPECT_EQ(errors.Count(snmp::kErrNoIpv6Data), c.report[0] == '\0' ? 0 : 1);
  }
}

TEST(DeviceViewTest, SilentDeviceIsSummarisedWithItsReason) {
  TempDir dir;
  CReplayRequester replay(dir.Path());
  auto record = RecordAt("192.0.2.7");
  replay.DSRNeBegin();
  EXPECT_EQ(GetText(&replay, record.get(), "ipv6Forwarding"), "<null var-op>");
  EXPECT_THAT(WalkText(&replay, record.get(), "ipv6IfDescr"), ElementsAreArray({"<null list>"}));
  const CDiscoSnmpSummary summary = replay.DSRNeEnd();
  ASSERT_EQ(summary.targets.size(), 1u);
  EXPECT_EQ(summary.targets[0].requests, 2);
  EXPECT_EQ(summary.targets[0].answered, 0);
  EXPECT_EQ(summary.targets[0].silence, "no recorded walk for 192.0.2.7 in " + dir.Path());
  EXPECT_EQ(summary.MibSource(), "");
}

}  // namespace
