// The RFC 2465 tables translated from rows shaped as RFC 4293, 4292 and 2863 define them, and what the agent
// gets, NE by NE, from devices that serve RFC 2465 fully, in part or not at all: through the replay
// requester, as the runner uses it.
#include <arpa/inet.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/RecordFormats.h"
#include "snmp/ReplayRequester.h"
#include "snmp/Rfc2465Translation.h"
#include "tests/support/SnmpTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

using snmp::ETable;

// "{addr}" stands for the 16 octets of an IPv6 address as sub-identifiers.
std::string Expand(std::string text) {
  for (size_t open; (open = text.find('{')) != std::string::npos;) {
    const size_t close = text.find('}', open);
    unsigned char bytes[16] = {};
    EXPECT_EQ(inet_pton(AF_INET6, text.substr(open + 1, close - open - 1).c_str(), bytes), 1);
    std::string octets;
    for (unsigned char b : bytes) octets += (octets.empty() ? "" : ".") + std::to_string(b);
    text.replace(open, close - open + 1, octets);
  }
  return text;
}

// Every row as "index column=value column=value...", joined by "; "; octets as "#" and dotted bytes.
std::string Cells(const snmp::TableRows& rows) {
  std::string out;
  for (const auto& [index, row] : rows) {
    out += (out.empty() ? "" : "; ") + snmp::OidText(index);
    for (const auto& [column, value] : row) {
      std::string text = value.type == snmp::EWireType::kOctetString ? "#" : "";
      for (unsigned char b : value.octets) text += (text.size() > 1 ? "." : "") + std::to_string(b);
      long long n = 0;
      if (text.empty() && snmp::IntegerOf(&value, &n)) text = std::to_string(n);
      out += " " + std::to_string(column) + "=" + text;
    }
  }
  return out;
}

// The newer tables, grouped by table, of "[ENTRY/]INDEX COLUMN|TAG|VALUE..." groups separated by ";" (the
// entry kept until another is given): the snmprec lines 1.3.6.1.2.1.ENTRY.COLUMN.INDEX|TAG|VALUE.
std::map<ETable, snmp::TableRows> Sources(const std::string& groups) {
  std::string text, group, entry, index, cell;
  for (std::istringstream in(Expand(groups)); std::getline(in, group, ';');) {
    for (std::istringstream cells(group); cells >> index;) {
      const size_t slash = index.find('/');
      if (slash != std::string::npos) entry = index.substr(0, slash), index.erase(0, slash + 1);
      while (cells >> cell) {
        const size_t bar = cell.find('|');
        text += "1.3.6.1.2.1." + entry + "." + cell.substr(0, bar) + "." + index + cell.substr(bar) + "\n";
      }
    }
  }
  std::vector<std::string> problems;
  const std::vector<snmp::VarBind> binds = snmp::ReadSnmprec(text, &problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  std::map<ETable, snmp::TableRows> out;  // each column takes the bindings under it
  for (ETable id : {ETable::kIf, ETable::kIpv6Interface, ETable::kIpAddress, ETable::kIpAddressPrefix,
                    ETable::kIpNetToPhysical, ETable::kInetCidrRoute}) {
    const snmp::TableDef& def = snmp::Table(id);
    out[id] = snmp::GroupRows(def.entry, def.columns, std::vector(def.columns.size(), binds));
  }
  return out;
}

TEST(Rfc2465TranslationTest, TranslatesEachTable) {
  const struct {
    const char* what;
    ETable table;
    std::string source, expected;  // Sources() groups; Cells() of the translation
  } rows[] = {
      {"addresses: IPv4 dropped, ipv6z loses its zone, enumerations mapped", ETable::kIpv6Addr,
       "4.34.1/1.4.192.0.2.1 3|2|2; 2.16.{2001:db8:1::1} 3|2|2 4|2|1 6|2|2 7|2|1 "
       "5|6|1.3.6.1.2.1.4.32.1.5.2.2.16.{2001:db8:1::}.64; 4.20.{fe80::1}.0.0.0.3 3|2|3 4|2|2 5|6|0.0 6|2|6 "
       "7|2|6",
       "2.{2001:db8:1::1} 2=64 3=3 4=2 5=1; 3.{fe80::1} 3=1 4=1 5=5"},
      {"addresses: dhcp is stateful, a broken index or ifIndex drops the row", ETable::kIpv6Addr,
       "4.34.1/2.16.{2001:db8::5} 3|2|4 6|2|4 7|2|99; 2.17.{2001:db8::6} 3|2|4; 2.16.{2001:db8::7} 3|2|0; "
       "2.16.{2001:db8::8} 3|2|2147483647; 2.16.{2001:db8::9} 3|66|2147483648",
       "4.{2001:db8::5} 3=2 5=5; 2147483647.{2001:db8::8}"},
      {"prefixes: IPv4 dropped, flags and lifetimes as they are", ETable::kIpv6AddrPrefix,
       "4.32.1/2.1.4.192.0.2.0.24 6|2|1; 2.2.16.{2001:db8:1::}.64 6|2|1 7|2|2 8|66|600 9|66|4294967295; "
       "3.4.20.{fe80::}.0.0.0.3.64 6|2|1",
       "2.{2001:db8:1::}.64 3=1 4=2 5=600 6=4294967295; 3.{fe80::}.64 3=1"},
      {"routes: numbered per destination, on-link is ::, policies, types and status", ETable::kIpv6Route,
       "4.24.7.1/1.4.0.0.0.0.0.2.0.0.1.4.192.0.2.1 7|2|2; 2.16.{::}.0.2.0.0.2.16.{2001:db8:12::2} 7|2|3 "
       "8|2|4 17|2|1; 2.16.{2001:db8:1::}.64.3.0.0.5.0.0 7|2|2 8|2|5 17|2|2; 2.16.{::}.129.0.0.0 7|2|3; "
       "2.16.{2001:db8:12::1}.128.3.0.0.9.2.16.{::} 7|2|5; 2.16.{ff00::}.8.3.0.0.1.2.16.{::} 7|2|2 8|2|9; "
       "2.16.{ff00::}.8.3.0.0.7.2.16.{::} 7|2|3; 2.16.{2001:db8:9::}.48.2.0.0.1.4.192.0.2.1 7|2|3; "
       "2.16.{2001:db8:7::}.64.0.0.0.0.9 7|2|3",
       "{::}.0.1 4=3 5=#{2001:db8:12::2} 6=4 14=1; {2001:db8:1::}.64.1 4=2 5=#{::} 6=2 14=2; "
       "{2001:db8:12::1}.128.1 4=5 5=#{::}; {ff00::}.8.1 4=2 5=#{::} 6=1; {ff00::}.8.2 4=3 5=#{::}"},
      {"neighbour cache: IPv4 dropped, incomplete and unknown states, validity", ETable::kIpv6NetToMedia,
       "4.35.1/2.1.4.192.0.2.7 4|4x|020000000007; 2.2.16.{2001:db8:1::10} 4|4x|020000000010 6|2|3 7|2|1 "
       "8|2|1; 2.2.16.{2001:db8:1::11} 4|4x| 6|2|2 7|2|7; 3.2.16.{2001:db8:2::12} 4|4x|020000000012 7|2|42 "
       "8|2|2",
       "2.{2001:db8:1::10} 2=#2.0.0.0.0.16 4=1 6=1; 2.{2001:db8:1::11} 2=# 4=6 6=2; "
       "3.{2001:db8:2::12} 2=#2.0.0.0.0.18 4=6 6=2"},
      {"interfaces: IPv6 ones only, identifier derived or served, statuses mapped", ETable::kIpv6If,
       "2.2.1/1 2|4|lo; 2 2|4|eth0 4|2|1500 6|4x|020000000001 7|2|1 8|2|5 9|67|1234; 3 2|4|eth1 4|2|-1 "
       "7|2|3 8|2|99; 4 2|4|v4only; 4.30.1/3 2|66|1500 3|4x|0211223344556677 5|2|2; "
       "4.34.1/2.16.{2001:db8:1::1} 3|2|2; 4.20.{fe80::2:0:0:1}.0.0.0.2 3|2|2; 1.4.192.0.2.4 3|2|4",
       "2 2=#101.116.104.48 4=1500 6=#0.2.0.0.0.0.0.1 7=64 8=#2.0.0.0.0.1 9=1 10=2 11=1234; "
       "3 2=#101.116.104.49 5=1500 6=#2.17.34.51.68.85.102.119 7=64 9=2 10=4"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Cells(snmp::TranslateRfc2465(row.table, Sources(row.source))), Expand(row.expected))
        << row.what;
  }
}

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
    const std::string silence = file.empty() ? "no recorded walk for 192.0.2.9 in " + dir.Path() : "";
    EXPECT_EQ(summary.targets[0].silence, silence);
    EXPECT_EQ(errors.Reports().empty() ? "" : errors.Reports()[0].message, row.report);
  }
}

}  // namespace
