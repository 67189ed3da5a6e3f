// MIB tables written row by row into mediation data, address names, and the
// agent with its process layer callable.
#ifndef TESTS_UNIT_PROCESSING_NBRTESTUTIL_H_
#define TESTS_UNIT_PROCESSING_NBRTESTUTIL_H_

#include <arpa/inet.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/TempDir.h"
#include "host/CDiscoMediationData.h"
#include "host/CKelPointer.h"
#include "host/CKelValidAddress.h"
#include "host/ZWResolver.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/NbrRecordText.h"

namespace nbrtest {

using Row = FakeRequester::Row;

// The agent with its process layer public.
class ProcessAgent : public CDiscoIPv6Agent {
 public:
  using CDiscoIPv6Agent::DADoProcessLayer;
};

// "%.2X" octets of an address joined by ":", as a next-hop value reads.
inline std::string ByteWise(const char* address) {
  std::string text;
  for (uint32_t octet : AddressOctets(address)) {
    char hex[4];
    snprintf(hex, sizeof(hex), text.empty() ? "%.2X" : ":%.2X", octet);
    text += hex;
  }
  return text;
}

// Route-table index: destination octets, prefix length, route index.
inline std::vector<uint32_t> RouteIndex(const char* dest, uint32_t length, uint32_t index = 1) {
  std::vector<uint32_t> i = AddressOctets(dest);
  i.push_back(length);
  i.push_back(index);
  return i;
}

// Rows of the tables of one NE, stored column by column with Store.
class Tables {
 public:
  void Add(const char* column, Row row) { m_Columns[column].push_back(std::move(row)); }
  void Int(const char* column, std::vector<uint32_t> index, long long value) {
    Add(column, FakeRequester::IntRow(std::move(index), value));
  }
  void Text(const char* column, std::vector<uint32_t> index, const char* text) {
    Add(column, FakeRequester::TextRow(std::move(index), text));
  }

  // An interface that is up, with every ipv6IfTable column; `descr` null
  // leaves out ipv6IfDescr.
  void Interface(uint32_t ifIndex, const char* descr, const char* phys, long long admin = 1) {
    const std::vector<uint32_t> i{ifIndex};
    if (descr != nullptr) Text("ipv6IfDescr", i, descr);
    Text("ipv6IfLowerLayer", i, "0.0");
    Int("ipv6IfEffectiveMtu", i, 1500);
    Int("ipv6IfReasmMaxSize", i, 65535);
    Text("ipv6IfIdentifier", i, "02:00:5E:FF:FE:00:53:01");
    Int("ipv6IfIdentifierLength", i, 64);
    Text("ipv6IfPhysicalAddress", i, phys);
    Int("ipv6IfAdminStatus", i, admin);
    Int("ipv6IfOperStatus", i, admin);
    Int("ipv6IfLastChange", i, 7);
  }
  void Address(uint32_t ifIndex, const char* address, long long pfxLength, long long anycast = 2,
               long long type = 1, long long status = 1) {
    const std::vector<uint32_t> i = AddrIndex(ifIndex, address);
    Int("ipv6AddrPfxLength", i, pfxLength);
    Int("ipv6AddrType", i, type);
    Int("ipv6AddrAnycastFlag", i, anycast);
    Int("ipv6AddrStatus", i, status);
  }
  void Prefix(uint32_t ifIndex, const char* prefix, uint32_t length, long long onLink = 1) {
    const std::vector<uint32_t> i = PrefixIndex(ifIndex, prefix, length);
    Int("ipv6AddrPrefixOnLinkFlag", i, onLink);
    Int("ipv6AddrPrefixAutonomousFlag", i, 1);
    Int("ipv6AddrPrefixAdvPreferredLifetime", i, 100);
    Int("ipv6AddrPrefixAdvValidLifetime", i, 200);
  }
  void Route(const char* dest, uint32_t length, uint32_t index, long long ifIndex,
             const char* nextHop, long long valid = 1) {
    const std::vector<uint32_t> i = RouteIndex(dest, length, index);
    Int("ipv6RouteIfIndex", i, ifIndex);
    Text("ipv6RouteNextHop", i, ByteWise(nextHop).c_str());
    Int("ipv6RouteType", i, 4);
    Int("ipv6RouteValid", i, valid);
  }
  void Cache(uint32_t ifIndex, const char* address, const char* mac, long long state = 1,
             long long valid = 1) {
    const std::vector<uint32_t> i = AddrIndex(ifIndex, address);
    Text("ipv6NetToMediaPhysAddress", i, mac);
    Int("ipv6IfNetToMediaState", i, state);
    Int("ipv6NetToMediaValid", i, valid);
  }
  void Drop(const char* column) { m_Columns.erase(column); }

  void Store(CDiscoMediationData* medData) const {
    for (const auto& column : m_Columns) StoreColumn(medData, column.first.c_str(), column.second);
  }

 private:
  std::map<std::string, std::vector<Row>> m_Columns;
};

// Names each address "<label>.lab" with IPv4 address 192.0.2.<n> while alive,
// so that no lookup leaves the process.
class ScopedNames {
 public:
  ScopedNames(std::initializer_list<std::pair<std::string, std::string>> names)
      : ScopedNames(std::vector<std::pair<std::string, std::string>>(names)) {}
  explicit ScopedNames(const std::vector<std::pair<std::string, std::string>>& names) {
    std::string text;
    int n = 1;
    for (const auto& entry : names) {
      const std::string name = entry.second + ".lab";
      text += entry.first + " " + name + "\n";
      text += "192.0.2." + std::to_string(n++) + " " + name + "\n";
    }
    ZWSetNamesOverlay(ZWNamesOverlay::FromText(text));
  }
  ~ScopedNames() { ZWSetNamesOverlay(nullptr); }
  ScopedNames(const ScopedNames&) = delete;
  ScopedNames& operator=(const ScopedNames&) = delete;
};

// The records of a local neighbour list, which is deleted with them.
inline std::vector<FieldTexts> TakeLocalNbrs(CKelDoubleList* list) {
  std::vector<FieldTexts> texts = PointerListText(list);
  for (CKelListable* e = list != nullptr ? list->KDLHead() : nullptr; e != nullptr;
       e = list->KDLGetNext(e)) {
    delete static_cast<CKelDoubleList*>(static_cast<CKelPointer*>(e)->KPData());
  }
  delete list;
  return texts;
}

// Deletes a remote neighbour tree with its wrappers and records.
inline void DeleteTree(CKelTreeList* tree) {
  if (tree == nullptr) return;
  if (CKelDoubleList* all = tree->KTLIterator()) {
    for (CKelListable* e = all->KDLHead(); e != nullptr; e = all->KDLGetNext(e)) {
      delete static_cast<CKelDoubleList*>(static_cast<CKelPointer*>(e)->KPData());
    }
  }
  tree->KTLDeleteWrappers();
  delete tree;
}

}  // namespace nbrtest

#endif  // TESTS_UNIT_PROCESSING_NBRTESTUTIL_H_
