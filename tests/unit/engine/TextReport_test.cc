// The text report: blocks per NE, interfaces grouped, neighbours with the
// NE that owns them, errors.
#include <gtest/gtest.h>

#include <sstream>

#include "engine/TextReport.h"
#include "tests/unit/engine/RunFixtures.h"

namespace {

std::string Write(const CRunReport& report) {
  std::ostringstream out;
  DEWriteTextReport(report, out);
  return out.str();
}

TEST(TextReportTest, WholeReportOfASmallRun) {
  FakeRun run;
  run.report.agentName = "IPv6";
  run.report.agentDescription = "Tovra IPv6 Discovery Agent";
  size_t r1 = run.AddNe("192.0.2.1", "192.0.2.1", true, "r1.lab");
  run.AddNe("2001:db8:1::2", "2001:db8:1::2", false);
  auto* caps = new CKelDoubleList();
  caps->KDLAddToListEnd(new CKelAtom("isIPv6Router"));
  run.Record(r1)->KRAddOrSetValue("m_Capabilities", new CKelAtom(caps, E_KDTList));
  run.Record(r1)->KRAddOrSetValue("m_Description", "R1\nline two");
  run.AddLocal(r1, Fields({{"ipv6IfIndex", Int(2)},
                           {"ipv6IfDescr", Str("eth0")},
                           {"ipv6IfPhysicalAddress", Str("00:00:5E:00:53:01")},
                           {"ipv6AddrAddress", Str("2001:db8:1::1")},
                           {"ipv6AddrPfxLength", Int(64)},
                           {"ipv6AddrScope", Int(3)},
                           {"ipv6AddrDNSName", Str("r1.lab")},
                           {"ipv6AddrPrefix", Str("2001:db8:1::")},
                           {"ipv6AddrPrefixName", Str("lan")}}),
               {Fields({{"m_RemoteNbrIpAddr", Str("2001:db8:1::2")},
                        {"m_RemoteNbrIpDNSName", Str("r2.lab")},
                        {"m_RemoteNbrMacAddr", Str("00:00:5E:00:53:02")}}),
                Remote("2001:db8:1::9")});
  run.AddLocal(r1, Local(1, "2001:db8:ff::1", "lo"));
  run.AddLocal(r1, Fields({{"ipv6IfIndex", Int(2)},
                           {"ipv6AddrAddress", Str("fe80::1")},
                           {"ipv6AddrPfxLength", Int(64)},
                           {"ipv6AddrScope", Int(1)}}),
               {Remote("2001:db8:1::9"), Remote("fe80::2")});
  run.report.nes[r1].snmp.rfc2465Values = 30;
  run.report.nes[r1].snmp.rfc4293Values = 2;
  run.report.nes[1].snmp.targets = {{"192.0.2.2", 3, 0, "no SNMP answer from 192.0.2.2", ""}};
  run.report.nes[r1].errors.push_back({-220439, "ProcessLayer.cc", 67, "No remote nbrs", true});
  run.Link();
  EXPECT_EQ(Write(run.report),
            "2 NEs: 1 processed, 1 failed; 3 links (agent IPv6, Tovra IPv6 Discovery Agent)\n"
            "\n"
            "r1.lab  192.0.2.1  processed\n"
            "  capabilities  isIPv6Router\n"
            "  description   R1 line two\n"
            "  IPv6 MIB      RFC 2465 and RFC 4293\n"
            "  interface 2 eth0, mac 00:00:5E:00:53:01\n"
            "    2001:db8:1::1/64  global  prefix 2001:db8:1::/64 \"lan\"  dns r1.lab\n"
            "    fe80::1/64  link-local\n"
            "    neighbour 2001:db8:1::2  r2.lab  mac 00:00:5E:00:53:02  => 2001:db8:1::2 "
            "(2001:db8:1::2)\n"
            "    neighbour 2001:db8:1::9  => not in this run\n"
            "    neighbour fe80::2  => not in this run\n"
            "  interface 1 lo\n"
            "    2001:db8:ff::1/64\n"
            "  1 error report\n"
            "    error -220439 at ProcessLayer.cc:67: No remote nbrs\n"
            "\n"
            "2001:db8:1::2  2001:db8:1::2  failed\n"
            "  reason        no SNMP answer from 192.0.2.2\n");
}

TEST(TextReportTest, EndNodeFieldsAndAnNeWithoutRecord) {
  FakeRun run;
  size_t host = run.AddNe("h", "2001:db8::5", true, "h.lab");
  CKelRecord* r = run.Record(host);
  r->KRAddOrSetValue("m_SnmpAccessIP", "192.0.2.5");
  r->KRAddOrSetValue("m_DnsName", "h.lab");
  r->KRAddOrSetValue("m_PrefixAddress", "2001:db8::");
  r->KRAddOrSetValue("m_PrefixName", "lan");
  run.AddNe("gone", nullptr, false);
  run.report.nes[1].record = nullptr;
  const std::string text = Write(run.report);
  EXPECT_NE(text.find("h.lab  2001:db8::5  processed\n"
                      "  snmp via      192.0.2.5\n"
                      "  dns name      h.lab\n"
                      "  prefix        2001:db8:: \"lan\"\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\ngone  failed\n"), std::string::npos) << text;
  EXPECT_EQ(text.rfind("2 NEs: 1 processed, 1 failed; 0 links", 0), 0u) << text;
}

}  // namespace
