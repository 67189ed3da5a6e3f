// What the agent gets, NE by NE, from devices that serve RFC 2465 fully, in part or not at all: through the
// replay requester, as the runner uses it.
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/ReplayRequester.h"
#include "snmp/RequesterErrors.h"
#include "tests/support/SnmpTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

TEST(DeviceViewTest, EachNeGetsRfc2465FromWhateverTheDeviceServes) {
  const std::string g = "32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.1";  // 2001:db8:1::1
  const struct {
    const char* what;
    std::string device;              // snmprec lines below 1.3.6.1.2.1, separated by spaces
    std::vector<std::string> asked;  // "object: rows" (a GET for *Forwarding, else a walk)
    const char *mib, *report;        // CDiscoSnmpSummary::MibSource(), the kErrNoIpv6Data message or ""
    long pdus;                       // for the whole NE
  } rows[] = {
      {"IP-MIB only: translated, ipv6Forwarding from ipv6IpForwarding",
       "2.2.1.2.2|4|eth0 2.2.1.7.2|2|1 4.25.0|2|1 4.34.1.3.1.4.192.0.2.1|2|2 4.34.1.3.2.16." + g + "|2|2 "
       "4.34.1.5.2.16." + g + "|6|1.3.6.1.2.1.4.32.1.5.2.2.16.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.0.64",
       {"ipv6Forwarding: 0 = int:1", "ipv6AddrPfxLength: 2." + g + " = int:64", "ipv6AddrStatus:",
        "ipv6IfDescr: 2 = text:eth0", "ipv6IfAdminStatus: 2 = int:1"},
       "RFC 4293", "", 2 + 2 + 3},
      {"part of ipv6IfTable: the missing columns filled for the device's rows",
       "2.2.1.9.2|67|77 2.2.1.9.3|67|99 2.2.1.7.2|2|1 2.2.1.8.2|2|2 2.2.1.7.3|2|2 2.2.1.8.3|2|1 "
       "4.34.1.3.4.20.254.128.0.0.0.0.0.0.0.0.0.0.0.0.0.1.0.0.0.2|2|2 55.1.1.0|2|1 55.1.5.1.2.2|4|eth0 "
       "55.1.5.1.9.2|2|2 55.1.5.1.9.3|2|2 55.1.5.1.10.2|2|1 55.1.5.1.10.3|2|2",
       {"ipv6Forwarding: 0 = int:1",
        "ipv6IfAdminStatus: 2 = int:1, 3 = int:2",  // 2: net-snmp's swap put right
        "ipv6IfOperStatus: 2 = int:2, 3 = int:2", "ipv6IfDescr: 2 = text:eth0",
        "ipv6IfLastChange: 2 = int:77",  // 3 carries no IPv6 address
        "ipv6Forwarding: 0 = int:1",     // asked again: answered without a request
        "ipv6IfIdentifier: 2 = text:00:00:00:00:00:00:00:01", "ipv6IfIdentifierLength: 2 = int:64"},
       "both", "", 1 + 1 + 3},
      {"answers, but no IPv6 address in either MIB", "4.1.0|2|2 4.34.1.3.1.4.192.0.2.1|2|2",
       {"ipForwarding: 0 = int:2", "ipv6AddrPfxLength:", "ipv6AddrType:", "ipv6RouteNextHop:"}, "",
       "192.0.2.9 answers SNMP but has no IPv6 address in ipv6AddrTable (RFC 2465) nor in ipAddressTable "
       "(RFC 4293); empty in both MIBs: ipv6AddrTable, ipv6RouteTable", 1 + 2 + 2},
      {"silent", "", {"ipv6Forwarding: <null var-op>", "ipv6IfDescr: <null list>"}, "", "", 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    std::string file, line;
    for (std::istringstream in(row.device); in >> line;) file += "1.3.6.1.2.1." + line + "\n";
    if (!file.empty()) dir.WriteFile("192.0.2.9.snmprec", file);
    CReplayRequester replay(dir.Path());
    KelErrorCapture errors;
    auto record = RecordAt("192.0.2.9");
    replay.DSRNeBegin();
    for (const std::string& asked : row.asked) {
      const std::string name = asked.substr(0, asked.find(':'));
      const bool get = name.find("Forwarding") != std::string::npos;
      const auto got = get ? std::vector<std::string>{GetText(&replay, record.get(), name.c_str())}
                           : WalkText(&replay, record.get(), name.c_str());
      std::string text = name + ":";
      for (size_t i = 0; i < got.size(); ++i) text += (i ? ", " : " ") + got[i];
      EXPECT_EQ(text, asked);
    }
    const CDiscoSnmpSummary summary = replay.DSRNeEnd();
    EXPECT_EQ(summary.MibSource(), row.mib);
    EXPECT_EQ(replay.DSRCounts().pdus, row.pdus);
    ASSERT_EQ(summary.targets.size(), 1u);
    EXPECT_EQ(summary.targets[0].answered, file.empty() ? 0 : summary.targets[0].requests);
    const std::string silence = "no recorded walk for 192.0.2.9 in " + dir.Path();
    EXPECT_EQ(summary.targets[0].silence, file.empty() ? silence : "");
    EXPECT_EQ(errors.Reports().empty() ? "" : errors.Reports()[0].message, row.report);
    EXPECT_EQ(errors.Count(snmp::kErrNoIpv6Data), *row.report ? 1 : 0);
  }
}

}  // namespace
