// The RFC 2465 tables translated from rows shaped as RFC 4293, 4292 and
// 2863 define them. Rows are written as snmprec lines under 1.3.6.1.2.1;
// "{addr}" stands for the 16 octets of an IPv6 address as sub-identifiers.
#include <arpa/inet.h>

#include <map>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "snmp/RecordFormats.h"
#include "snmp/Rfc2465Translation.h"

namespace {

using snmp::ETable;

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

// Every cell of `rows` as "index column=value"; octets as "#" and dotted bytes.
std::vector<std::string> Cells(const snmp::TableRows& rows) {
  std::vector<std::string> out;
  for (const auto& [index, row] : rows) {
    for (const auto& [column, value] : row) {
      std::string text;
      if (value.type == snmp::EWireType::kOctetString) {
        text = "#";
        for (unsigned char b : value.octets) text += (text.size() > 1 ? "." : "") + std::to_string(b);
      } else if (value.type == snmp::EWireType::kObjectId) {
        text = snmp::OidText(value.oid);
      } else {
        long long n = 0;
        EXPECT_TRUE(snmp::IntegerOf(&value, &n));
        text = std::to_string(n);
      }
      out.push_back(snmp::OidText(index) + " " + std::to_string(column) + "=" + text);
    }
  }
  return out;
}

struct Case {
  const char* name;
  ETable table;
  std::vector<std::string> source;    // snmprec lines below 1.3.6.1.2.1
  std::vector<std::string> expected;  // Cells() of the translation
};

// The newer tables of `lines`, grouped by table.
std::map<ETable, snmp::TableRows> Sources(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "1.3.6.1.2.1." + Expand(line) + "\n";
  std::vector<std::string> problems;
  const std::vector<snmp::VarBind> binds = snmp::ReadSnmprec(text, &problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  std::map<ETable, snmp::TableRows> out;
  for (ETable id : {ETable::kIf, ETable::kIpv6Interface, ETable::kIpAddress,
                    ETable::kIpAddressPrefix, ETable::kIpNetToPhysical, ETable::kInetCidrRoute}) {
    const snmp::TableDef& def = snmp::Table(id);
    std::vector<std::vector<snmp::VarBind>> columns(def.columns.size());
    for (const snmp::VarBind& bind : binds) {
      for (size_t c = 0; c < def.columns.size(); ++c) {
        snmp::Oid column = def.entry;
        column.push_back(def.columns[c]);
        if (snmp::OidIsUnder(bind.oid, column)) columns[c].push_back(bind);
      }
    }
    out[id] = snmp::GroupRows(def.entry, def.columns, columns);
  }
  return out;
}

const char kPfx[] = "1.3.6.1.2.1.4.32.1.5";  // an ipAddressPrefix row pointer, before its index

TEST(Rfc2465TranslationTest, TranslatesEachTable) {
  const std::string pointer64 = std::string(kPfx) + ".2.2.16.{2001:db8:1::}.64";
  const Case cases[] = {
      {"addresses: IPv4 dropped, ipv6z loses its zone, enumerations mapped",
       ETable::kIpv6Addr,
       {"4.34.1.3.1.4.192.0.2.1|2|2", "4.34.1.3.2.16.{2001:db8:1::1}|2|2",
        "4.34.1.3.4.20.{fe80::1}.0.0.0.3|2|3", "4.34.1.4.2.16.{2001:db8:1::1}|2|1",
        "4.34.1.4.4.20.{fe80::1}.0.0.0.3|2|2", "4.34.1.5.2.16.{2001:db8:1::1}|6|" + pointer64,
        "4.34.1.5.4.20.{fe80::1}.0.0.0.3|6|0.0", "4.34.1.6.2.16.{2001:db8:1::1}|2|2",
        "4.34.1.6.4.20.{fe80::1}.0.0.0.3|2|6", "4.34.1.7.2.16.{2001:db8:1::1}|2|1",
        "4.34.1.7.4.20.{fe80::1}.0.0.0.3|2|6"},
       {"2.{2001:db8:1::1} 2=64", "2.{2001:db8:1::1} 3=3", "2.{2001:db8:1::1} 4=2",
        "2.{2001:db8:1::1} 5=1", "3.{fe80::1} 3=1", "3.{fe80::1} 4=1", "3.{fe80::1} 5=5"}},
      {"addresses: dhcp is stateful, a broken index or ifIndex drops the row",
       ETable::kIpv6Addr,
       {"4.34.1.3.2.16.{2001:db8::5}|2|4", "4.34.1.3.2.17.{2001:db8::6}|2|4",
        "4.34.1.3.2.16.{2001:db8::7}|2|0", "4.34.1.6.2.16.{2001:db8::5}|2|4",
        "4.34.1.7.2.16.{2001:db8::5}|2|99"},
       {"4.{2001:db8::5} 3=2", "4.{2001:db8::5} 5=5"}},
      {"prefixes: IPv4 dropped, flags and lifetimes as they are",
       ETable::kIpv6AddrPrefix,
       {"4.32.1.6.2.1.4.192.0.2.0.24|2|1", "4.32.1.6.2.2.16.{2001:db8:1::}.64|2|1",
        "4.32.1.7.2.2.16.{2001:db8:1::}.64|2|2", "4.32.1.8.2.2.16.{2001:db8:1::}.64|66|600",
        "4.32.1.9.2.2.16.{2001:db8:1::}.64|66|4294967295",
        "4.32.1.6.3.4.20.{fe80::}.0.0.0.3.64|2|1"},
       {"2.{2001:db8:1::}.64 3=1", "2.{2001:db8:1::}.64 4=2", "2.{2001:db8:1::}.64 5=600",
        "2.{2001:db8:1::}.64 6=4294967295", "3.{fe80::}.64 3=1"}},
      {"routes: numbered per destination, on-link is ::, policies, types and status",
       ETable::kIpv6Route,
       {"4.24.7.1.7.1.4.0.0.0.0.0.2.0.0.1.4.192.0.2.1|2|2",
        "4.24.7.1.7.2.16.{::}.0.2.0.0.2.16.{2001:db8:12::2}|2|3",
        "4.24.7.1.7.2.16.{2001:db8:1::}.64.3.0.0.5.0.0|2|2",
        "4.24.7.1.7.2.16.{2001:db8:12::1}.128.3.0.0.9.2.16.{::}|2|5",
        "4.24.7.1.7.2.16.{ff00::}.8.3.0.0.1.2.16.{::}|2|2",
        "4.24.7.1.7.2.16.{ff00::}.8.3.0.0.7.2.16.{::}|2|3",
        "4.24.7.1.7.2.16.{2001:db8:9::}.48.2.0.0.1.4.192.0.2.1|2|3",
        "4.24.7.1.8.2.16.{::}.0.2.0.0.2.16.{2001:db8:12::2}|2|4",
        "4.24.7.1.8.2.16.{2001:db8:1::}.64.3.0.0.5.0.0|2|5",
        "4.24.7.1.8.2.16.{ff00::}.8.3.0.0.1.2.16.{::}|2|9",
        "4.24.7.1.17.2.16.{::}.0.2.0.0.2.16.{2001:db8:12::2}|2|1",
        "4.24.7.1.17.2.16.{2001:db8:1::}.64.3.0.0.5.0.0|2|2"},
       {"{::}.0.1 4=3", "{::}.0.1 5=#{2001:db8:12::2}", "{::}.0.1 6=4", "{::}.0.1 14=1",
        "{2001:db8:1::}.64.1 4=2", "{2001:db8:1::}.64.1 5=#{::}", "{2001:db8:1::}.64.1 6=2",
        "{2001:db8:1::}.64.1 14=2", "{2001:db8:12::1}.128.1 4=5",
        "{2001:db8:12::1}.128.1 5=#{::}", "{ff00::}.8.1 4=2", "{ff00::}.8.1 5=#{::}",
        "{ff00::}.8.1 6=1", "{ff00::}.8.2 4=3", "{ff00::}.8.2 5=#{::}"}},
      {"neighbour cache: IPv4 dropped, incomplete and unknown states, validity",
       ETable::kIpv6NetToMedia,
       {"4.35.1.4.2.1.4.192.0.2.7|4x|020000000007", "4.35.1.4.2.2.16.{2001:db8:1::10}|4x|020000000010",
        "4.35.1.4.2.2.16.{2001:db8:1::11}|4x|", "4.35.1.4.3.2.16.{2001:db8:2::12}|4x|020000000012",
        "4.35.1.6.2.2.16.{2001:db8:1::10}|2|3", "4.35.1.6.2.2.16.{2001:db8:1::11}|2|2",
        "4.35.1.7.2.2.16.{2001:db8:1::10}|2|1", "4.35.1.7.2.2.16.{2001:db8:1::11}|2|7",
        "4.35.1.7.3.2.16.{2001:db8:2::12}|2|42", "4.35.1.8.2.2.16.{2001:db8:1::10}|2|1",
        "4.35.1.8.3.2.16.{2001:db8:2::12}|2|2"},
       {"2.{2001:db8:1::10} 2=#2.0.0.0.0.16", "2.{2001:db8:1::10} 4=1", "2.{2001:db8:1::10} 6=1",
        "2.{2001:db8:1::11} 2=#", "2.{2001:db8:1::11} 4=6", "2.{2001:db8:1::11} 6=2",
        "3.{2001:db8:2::12} 2=#2.0.0.0.0.18", "3.{2001:db8:2::12} 4=6", "3.{2001:db8:2::12} 6=2"}},
      {"interfaces: IPv6 ones only, identifier derived or served, statuses mapped",
       ETable::kIpv6If,
       {"2.2.1.2.1|4|lo", "2.2.1.2.2|4|eth0", "2.2.1.2.3|4|eth1", "2.2.1.2.4|4|v4only",
        "2.2.1.4.2|2|1500", "2.2.1.4.3|2|-1", "2.2.1.6.2|4x|020000000001", "2.2.1.7.2|2|1",
        "2.2.1.7.3|2|3", "2.2.1.8.2|2|5", "2.2.1.8.3|2|99", "2.2.1.9.2|67|1234",
        "4.30.1.2.3|66|1500", "4.30.1.3.3|4x|0211223344556677", "4.30.1.5.3|2|2",
        "4.34.1.3.2.16.{2001:db8:1::1}|2|2", "4.34.1.3.4.20.{fe80::2:0:0:1}.0.0.0.2|2|2",
        "4.34.1.3.1.4.192.0.2.4|2|4"},
       {"2 2=#101.116.104.48", "2 4=1500", "2 6=#0.2.0.0.0.0.0.1", "2 7=64",
        "2 8=#2.0.0.0.0.1", "2 9=1", "2 10=2", "2 11=1234", "3 2=#101.116.104.49", "3 5=1500",
        "3 6=#2.17.34.51.68.85.102.119", "3 7=64", "3 9=2", "3 10=4"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> expected;
    for (const std::string& line : c.expected) expected.push_back(Expand(line));
    EXPECT_EQ(Cells(snmp::TranslateRfc2465(c.table, Sources(c.source))), expected) << c.name;
  }
}

}  // namespace
