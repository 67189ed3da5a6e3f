#include "bench/LargeRouter.h"

#include <arpa/inet.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "host/CKelASN1Address.h"
#include "host/CKelAtom.h"
#include "host/CKelSnmpVarOp.h"

namespace {

using Index = std::vector<uint32_t>;

// Subnets from 2001:db8:1001:: on: no address of the sandbox hosts file.
constexpr int kFirstSubnet = 0x1000;

Index Octets(const std::string& address) {
  in6_addr a{};
  inet_pton(AF_INET6, address.c_str(), &a);
  return Index(a.s6_addr, a.s6_addr + 16);
}

Index Cat(Index head, const Index& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// Columns under construction, stored on Flush.
class Columns {
 public:
  void Int(const char* column, const Index& index, long long value) {
    Add(column, index, new CKelAtom(value));
  }
  void Text(const char* column, const Index& index, const std::string& text) {
    Add(column, index, new CKelAtom(text.c_str()));
  }
  void Flush(CDiscoMediationData* medData) {
    for (auto& column : m_Columns) medData->DMDAddSnmp(column.first.c_str(), column.second);
    m_Columns.clear();
  }

 private:
  void Add(const char* column, const Index& index, CKelAtom* value) {
    for (auto& c : m_Columns) {
      if (c.first == column) {
        c.second->KDLAddToListEnd(new CKelSnmpVarOp(new CKelASN1Address(index), value));
        return;
      }
    }
    m_Columns.emplace_back(column, new CKelDoubleList());
    Add(column, index, value);
  }
  std::vector<std::pair<std::string, CKelDoubleList*>> m_Columns;
};

void Scalar(CDiscoMediationData* medData, const char* key, CKelAtom* value) {
  medData->DMDAddSnmp(key, new CKelSnmpVarOp(new CKelASN1Address(Index{0}), value));
}

}  // namespace

std::string LargeRouterAddress(int k, const char* host) {
  char text[64];
  snprintf(text, sizeof(text), "2001:db8:%x::%s", k + kFirstSubnet, host);
  return text;
}

void FillLargeRouter(CDiscoMediationData* medData, int n) {
  const int interfaces = n / 2;
  Scalar(medData, "sysDescr", new CKelAtom("large test router"));
  Scalar(medData, "sysObjectID", new CKelAtom("1.3.6.1.4.1.8072.3.2.10"));
  Scalar(medData, "ipForwarding", new CKelAtom(1));
  Scalar(medData, "ipv6Forwarding", new CKelAtom(1));
  Columns c;
  for (int k = 1; k <= interfaces; ++k) {
    const Index i{static_cast<uint32_t>(k)};
    char mac[32];
    snprintf(mac, sizeof(mac), "00:00:5E:00:%02X:%02X", (k >> 8) & 0xFF, k & 0xFF);
    c.Text("ipv6IfDescr", i, "eth" + std::to_string(k));
    c.Text("ipv6IfLowerLayer", i, "1.3.6.1.2.1.2.2.1.1." + std::to_string(k));
    c.Int("ipv6IfEffectiveMtu", i, 1500);
    c.Int("ipv6IfReasmMaxSize", i, 65535);
    c.Text("ipv6IfIdentifier", i, "02:00:5E:FF:FE:00:00:01");
    c.Int("ipv6IfIdentifierLength", i, 64);
    c.Text("ipv6IfPhysicalAddress", i, mac);
    c.Int("ipv6IfAdminStatus", i, 1);
    c.Int("ipv6IfOperStatus", i, 1);
    c.Int("ipv6IfLastChange", i, 100);
  }
  // Address rows in walk order: interface, then address octets.
  for (int k = 1; k <= interfaces; ++k) {
    char linkLocal[32];
    snprintf(linkLocal, sizeof(linkLocal), "fe80::%x", k);
    for (const std::string& address : {LargeRouterAddress(k, "1"), std::string(linkLocal)}) {
      const Index i = Cat({static_cast<uint32_t>(k)}, Octets(address));
      c.Int("ipv6AddrPfxLength", i, 64);
      c.Int("ipv6AddrType", i, 1);
      c.Int("ipv6AddrAnycastFlag", i, 2);
      c.Int("ipv6AddrStatus", i, 1);
    }
    const Index p = Cat(Cat({static_cast<uint32_t>(k)}, Octets(LargeRouterAddress(k, ""))), {64});
    c.Int("ipv6AddrPrefixOnLinkFlag", p, 1);
    c.Int("ipv6AddrPrefixAutonomousFlag", p, 1);
    c.Int("ipv6AddrPrefixAdvPreferredLifetime", p, 604800);
    c.Int("ipv6AddrPrefixAdvValidLifetime", p, 2592000);
  }
  for (int r = 0; r < n; ++r) {
    char dest[32];
    snprintf(dest, sizeof(dest), "2001:db9:%x::", r + 1);
    const int k = r % interfaces + 1;
    const Index i = Cat(Octets(dest), {48, 1});
    c.Int("ipv6RouteIfIndex", i, k);
    std::string nextHop;
    for (uint32_t octet : Octets(LargeRouterAddress(k, "fe"))) {
      char hex[4];
      snprintf(hex, sizeof(hex), nextHop.empty() ? "%.2X" : ":%.2X", octet);
      nextHop += hex;
    }
    c.Text("ipv6RouteNextHop", i, nextHop);
    c.Int("ipv6RouteType", i, 4);
    c.Int("ipv6RouteValid", i, 1);
  }
  for (int k = 1; k <= interfaces; ++k) {
    for (const char* host : {"20", "fe"}) {
      const Index i = Cat({static_cast<uint32_t>(k)}, Octets(LargeRouterAddress(k, host)));
      c.Text("ipv6NetToMediaPhysAddress", i,
             "00:00:5E:00:53:" + std::string(host == std::string("fe") ? "FE" : "20"));
      c.Int("ipv6IfNetToMediaState", i, 1);
      c.Int("ipv6NetToMediaValid", i, 1);
    }
  }
  c.Flush(medData);
}
