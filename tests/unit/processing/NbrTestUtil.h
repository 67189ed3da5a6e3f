// MIB tables into mediation data, address names, records and reports as texts.
#ifndef TESTS_UNIT_PROCESSING_NBRTESTUTIL_H_
#define TESTS_UNIT_PROCESSING_NBRTESTUTIL_H_

#include <arpa/inet.h>

#include "gmock/gmock.h"
#include "host/CDiscoProcessedData.h"
#include "host/CKelASN1Address.h"
#include "host/CKelPointer.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWResolver.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace nbrtest {

using Row = FakeRequester::Row;
using FieldTexts = std::vector<std::string>;
using ::testing::ElementsAre, ::testing::IsEmpty;
template <typename T>
std::shared_ptr<const CKelAtom> Atom(T value) { return std::make_shared<const CKelAtom>(value); }

inline std::vector<uint32_t> AddressOctets(const char* address) {
  in6_addr bytes{};
  if (inet_pton(AF_INET6, address, &bytes) != 1) ADD_FAILURE() << "not IPv6: " << address;
  return std::vector<uint32_t>(bytes.s6_addr, bytes.s6_addr + 16);
}
// Address-table or neighbour-cache index (interface, 16 octets); a prefix index adds the length.
inline std::vector<uint32_t> AddrIndex(uint32_t ifIndex, const char* address, int prefixLength = -1) {
  std::vector<uint32_t> i = AddressOctets(address);
  i.insert(i.begin(), ifIndex);
  if (prefixLength >= 0) i.push_back(prefixLength);
  return i;
}
// "%.2X" octets of an address joined by ":", as a next-hop value reads.
inline std::string ByteWise(const char* address) {
  std::string text, hex = "0123456789ABCDEF";
  for (uint32_t o : AddressOctets(address)) text += {':', hex[o / 16], hex[o % 16]};
  return text.substr(1);
}

// The columns of one NE's tables, stored into mediation data by Store.
class Tables {
 public:
  using Ints = std::initializer_list<std::pair<const char*, long long>>;
  void Add(const char* column, Row row) { m_Columns[column].push_back(std::move(row)); }
  void Int(const char* c, std::vector<uint32_t> i, long long v) { Add(c, {i, Atom(v)}); }
  void Text(const char* c, std::vector<uint32_t> i, const char* t) { Add(c, {i, Atom(t)}); }
  void Set(const std::vector<uint32_t>& i, Ints cs) { for (auto& c : cs) Int(c.first, i, c.second); }
  // An interface with every ipv6IfTable column.
  void Interface(uint32_t ifIndex, const char* descr, const char* phys, long long admin = 1) {
    const std::vector<uint32_t> i{ifIndex};
    Text("ipv6IfDescr", i, descr), Text("ipv6IfLowerLayer", i, "0.0");
    Text("ipv6IfIdentifier", i, "02:00:5E:FF:FE:00:53:01"), Text("ipv6IfPhysicalAddress", i, phys);
    Set(i, {{"ipv6IfEffectiveMtu", 1500}, {"ipv6IfReasmMaxSize", 65535}, {"ipv6IfIdentifierLength", 64},
            {"ipv6IfAdminStatus", admin}, {"ipv6IfOperStatus", admin}, {"ipv6IfLastChange", 7}});
  }
  void Address(uint32_t ifIndex, const char* address, long long pfxLength, long long anycast = 2,
               long long type = 1) {
    Set(AddrIndex(ifIndex, address), {{"ipv6AddrPfxLength", pfxLength}, {"ipv6AddrType", type},
                                      {"ipv6AddrAnycastFlag", anycast}, {"ipv6AddrStatus", 1}});
  }
  void Prefix(uint32_t ifIndex, const char* prefix, uint32_t length, long long onLink = 1) {
    Set(AddrIndex(ifIndex, prefix, length),
        {{"ipv6AddrPrefixOnLinkFlag", onLink}, {"ipv6AddrPrefixAutonomousFlag", 1},
         {"ipv6AddrPrefixAdvPreferredLifetime", 100}, {"ipv6AddrPrefixAdvValidLifetime", 200}});
  }
  static std::vector<uint32_t> RouteIndex(const char* dest, uint32_t length) {
    std::vector<uint32_t> i = AddressOctets(dest);
    i.insert(i.end(), {length, 1});
    return i;
  }
  void Route(const char* dest, uint32_t length, long long ifIndex, const char* nextHop,  // ifIndex -1: no row
             long long valid = 1) {
    const std::vector<uint32_t> i = RouteIndex(dest, length);
    Text("ipv6RouteNextHop", i, ByteWise(nextHop).c_str());
    Set(i, {{"ipv6RouteType", 4}, {"ipv6RouteValid", valid}});
    if (ifIndex >= 0) Int("ipv6RouteIfIndex", i, ifIndex);
  }
  void Cache(uint32_t ifIndex, const char* address, const char* mac) {  // mac null: a row without value
    Add("ipv6NetToMediaPhysAddress", {AddrIndex(ifIndex, address), mac != nullptr ? Atom(mac) : nullptr});
    Set(AddrIndex(ifIndex, address), {{"ipv6IfNetToMediaState", 1}, {"ipv6NetToMediaValid", 1}});
  }
  void Drop(const char* column) { m_Columns.erase(column); }
  void Store(CDiscoMediationData* medData) const {
    for (const auto& column : m_Columns)
      ASSERT_EQ(medData->DMDAddSnmp(column.first.c_str(), FakeRequester::List(column.second)), 1);
  }

 private:
  std::map<std::string, std::vector<Row>> m_Columns;
};

// Names each address "<label>.lab" with IPv4 address 192.0.2.<n> while alive.
struct ScopedNames {
  explicit ScopedNames(const std::vector<std::pair<std::string, std::string>>& names) {
    std::string text;
    for (size_t n = 0; n < names.size(); ++n) {
      const std::string name = " " + names[n].second + ".lab\n";
      text += names[n].first + name + "192.0.2." + std::to_string(n + 1) + name;
    }
    ZWSetNamesOverlay(ZWNamesOverlay::FromText(text));
  }
  ~ScopedNames() { ZWSetNamesOverlay(nullptr); }
};

inline FieldTexts NbrRecordText(const CKelDoubleList* record) {
  FieldTexts texts;
  for (CKelListable* e = record->KDLHead(); e != nullptr; e = record->KDLGetNext(e)) {
    auto* field = static_cast<CKelVarBind*>(e);
    texts.push_back(field->KVBNameText());
    if (char* value = field->KVBValAsString()) {
      texts.back() += std::string("=") + value;
      free(value);
    }
  }
  return texts;
}
inline std::vector<std::string> ReportTexts(const std::vector<KelErrorReport>& reports) {
  std::vector<std::string> texts;
  for (const KelErrorReport& r : reports)
    texts.push_back(std::to_string(r.code) + (r.hasMessage ? "|" + r.message : ""));
  return texts;
}
}  // namespace nbrtest

#endif  // TESTS_UNIT_PROCESSING_NBRTESTUTIL_H_
