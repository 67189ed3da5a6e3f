#include "processing/NbrLookup.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "ipv6/AddressBytes.h"
#include "mediation/ColumnRows.h"

namespace {

const char kPfxLengthColumn[] = "ipv6AddrPfxLength";
const char kAnycastColumn[] = "ipv6AddrAnycastFlag";

// The sub-identifiers of `index` as a key: equal keys, equal indexes.
std::string SubIdKey(const CKelASN1Address* index) {
  std::string key;
  key.reserve(static_cast<size_t>(index->KAADepth()) * 4);
  for (int i = 0; i < index->KAADepth(); ++i) {
    const uint32_t id = index->KAAAddressAt(i);
    key.append({static_cast<char>(id >> 24), static_cast<char>(id >> 16),
                static_cast<char>(id >> 8), static_cast<char>(id)});
  }
  return key;
}

// Key of a prefix row: interface index, prefix length and prefix text.
std::string PrefixKey(long long ifIndex, long long pfxLength, const char* text) {
  return std::to_string(ifIndex) + '/' + std::to_string(pfxLength) + '/' + text;
}

// The first `length` bits of `addr` (the rest cleared) as a key.
std::string PrefixBits(const in6_addr& addr, int length) {
  uint8_t prefix[16];
  ipv6::CutPrefix(addr.s6_addr, length, prefix);
  return std::string(reinterpret_cast<const char*>(prefix), sizeof(prefix));
}

// True for an integer value that every reading of the column agrees on:
// an integer atom whose value fits an int.
bool PlainInteger(const CKelAtom* value) {
  return value != nullptr && value->KAType() == E_KDTInteger &&
         value->KAInt64() == static_cast<long long>(value->KAInt());
}

// True when positions 1 to 16 of `index` hold the octets of an address.
bool HoldsAddress(const CKelASN1Address* index) {
  if (index->KAADepth() < 17) return false;
  for (int i = 1; i <= 16; ++i) {
    if (index->KAAAddressAt(i) > 255) return false;
  }
  return true;
}

}  // namespace

NbrLookup::NbrLookup(CDiscoIPv6Agent* agent, CDiscoMediationData* medData)
    : m_Agent(agent), m_MedData(medData) {}

bool NbrLookup::Indexing() { return !KelTraceOn(4); }

NbrLookup::ColumnIndex& NbrLookup::AddrColumn(const char* column) {
  auto found = m_AddrColumns.find(column);
  if (found != m_AddrColumns.end()) return found->second;
  ColumnIndex& index = m_AddrColumns[column];
  // The accessor passes over rows without index silently and gives the
  // value of the first row whose index matches, even a missing value.
  if (CKelDoubleList* rows = m_MedData->DMDGetSnmpGetNext(column)) {
    index.exact = true;
    for (CKelListable* e = rows->KDLHead(); e != nullptr; e = rows->KDLGetNext(e)) {
      if (CKelASN1Address* rowIndex = ColumnRowIndex(e)) {
        index.rows.emplace(SubIdKey(rowIndex), ColumnRow(e)->KSVOValue());
      }
    }
  }
  return index;
}

NbrLookup::ColumnIndex& NbrLookup::PfxColumn(const char* column) {
  auto found = m_PfxColumns.find(column);
  if (found != m_PfxColumns.end()) return found->second;
  ColumnIndex& index = m_PfxColumns[column];
  CKelDoubleList* rows = m_MedData->DMDGetSnmpGetNext(column);
  if (rows == nullptr) return index;
  index.exact = true;
  for (CKelListable* e = rows->KDLHead(); e != nullptr; e = rows->KDLGetNext(e)) {
    CKelASN1Address* rowIndex = ColumnRowIndex(e);
    if (rowIndex == nullptr || rowIndex->KAADepth() < 1) continue;  // passed over silently
    const int depth = rowIndex->KAADepth();
    char* text = m_Agent->DIPv6GetPartOfASN(rowIndex, 1, depth - 2);
    if (text == nullptr) {
      // The accessor reports such a row whenever it reaches it.
      index.exact = false;
      index.rows.clear();
      return index;
    }
    index.rows.emplace(
        PrefixKey(rowIndex->KAAAddressAt(0), rowIndex->KAAAddressAt(depth - 1), text),
        ColumnRow(e)->KSVOValue());
    free(text);
  }
  return index;
}

const NbrLookup::AnycastIndex& NbrLookup::Anycast() {
  if (m_Anycast.built) return m_Anycast;
  m_Anycast.built = true;
  CKelDoubleList* rows = m_MedData->DMDGetSnmpGetNext(kAnycastColumn);
  if (rows == nullptr) return m_Anycast;
  // Any row without index or value is reported by the accessor as it
  // passes: then only the accessor will do.
  for (CKelListable* e = rows->KDLHead(); e != nullptr; e = rows->KDLGetNext(e)) {
    CKelASN1Address* rowIndex = ColumnRowIndex(e);
    if (rowIndex == nullptr || !PlainInteger(ColumnRow(e)->KSVOValue())) {
      m_Anycast.flagged.clear();
      return m_Anycast;
    }
    if (ColumnRow(e)->KSVOValue()->KAInt() == 1) m_Anycast.flagged.insert(SubIdKey(rowIndex));
  }
  m_Anycast.exact = true;
  return m_Anycast;
}

const NbrLookup::PfxLengthIndex& NbrLookup::PfxLengths() {
  if (m_PfxLengths.built) return m_PfxLengths;
  m_PfxLengths.built = true;
  CKelDoubleList* rows = m_MedData->DMDGetSnmpGetNext(kPfxLengthColumn);
  const AnycastIndex& anycast = Anycast();
  if (rows == nullptr || !anycast.exact) return m_PfxLengths;
  size_t position = 0;
  for (CKelListable* e = rows->KDLHead(); e != nullptr; e = rows->KDLGetNext(e), ++position) {
    CKelASN1Address* rowIndex = ColumnRowIndex(e);
    if (rowIndex == nullptr) {
      m_PfxLengths.byLength.clear();
      return m_PfxLengths;
    }
    if (anycast.flagged.count(SubIdKey(rowIndex)) != 0) continue;  // never decides
    const CKelAtom* value = ColumnRow(e)->KSVOValue();
    const int length = AddrPrefixLength(value);
    if (length < 0) {
      m_PfxLengths.byLength.clear();
      return m_PfxLengths;
    }
    if (!HoldsAddress(rowIndex)) {
      // Its text cannot be made: reported by the accessor when it gets there.
      m_PfxLengths.byLength.clear();
      return m_PfxLengths;
    }
    // The address as the accessor makes it: byte-wise text, regrouped,
    // parsed.
    char* text = m_Agent->DIPv6GetPartOfASN(rowIndex, 1, 16);
    char* normalised = text != nullptr ? m_Agent->DIPv6Normalization(text, 1) : nullptr;
    in6_addr addr;
    const bool parsed = normalised != nullptr && _ZWinet_pton(AF_INET6, normalised, &addr) == 1;
    free(normalised);
    free(text);
    if (normalised == nullptr) {
      m_PfxLengths.byLength.clear();
      return m_PfxLengths;
    }
    if (parsed) m_PfxLengths.byLength[length].emplace(PrefixBits(addr, length), position);
  }
  m_PfxLengths.exact = true;
  return m_PfxLengths;
}

CKelAtom* NbrLookup::AddrAttr(CKelASN1Address* index, const char* column) {
  if (!Indexing() || m_MedData == nullptr || index == nullptr || column == nullptr) {
    return m_Agent->DIPv6GetAddrAttr(m_MedData, index, column);
  }
  ColumnIndex& rows = AddrColumn(column);
  if (!rows.exact) return m_Agent->DIPv6GetAddrAttr(m_MedData, index, column);
  auto found = rows.rows.find(SubIdKey(index));
  return found != rows.rows.end() ? found->second : nullptr;
}

__boolean NbrLookup::IsAnycast(CKelASN1Address* index) {
  if (!Indexing() || m_MedData == nullptr || index == nullptr) {
    return m_Agent->DIPv6IsAnycastAddress(m_MedData, index);
  }
  const AnycastIndex& anycast = Anycast();
  if (!anycast.exact) return m_Agent->DIPv6IsAnycastAddress(m_MedData, index);
  return anycast.flagged.count(SubIdKey(index)) != 0 ? E_KBTrue : E_KBFalse;
}

CKelAtom* NbrLookup::PfxAttr(int ifIndex, char* pfxText, int pfxLength, const char* column) {
  if (!Indexing() || m_MedData == nullptr || pfxText == nullptr || column == nullptr) {
    return m_Agent->DIPv6GetPfxAttr(m_MedData, ifIndex, pfxText, pfxLength, column);
  }
  ColumnIndex& rows = PfxColumn(column);
  if (!rows.exact) return m_Agent->DIPv6GetPfxAttr(m_MedData, ifIndex, pfxText, pfxLength, column);
  auto found = rows.rows.find(PrefixKey(ifIndex, pfxLength, pfxText));
  return found != rows.rows.end() ? found->second : nullptr;
}

int NbrLookup::PfxLengthFor(const char* ipStdStr) {
  if (!Indexing() || m_MedData == nullptr) {
    return m_Agent->DIPv6GetPfxLengthFromLocalIpList(ipStdStr, m_MedData);
  }
  const PfxLengthIndex& lengths = PfxLengths();
  if (!lengths.exact) return m_Agent->DIPv6GetPfxLengthFromLocalIpList(ipStdStr, m_MedData);
  in6_addr addr;
  if (ipStdStr == nullptr || _ZWinet_pton(AF_INET6, ipStdStr, &addr) != 1) return 128;
  // The first own address in column order whose prefix holds the address.
  size_t best = std::numeric_limits<size_t>::max();
  int result = 128;
  for (const auto& entry : lengths.byLength) {
    auto found = entry.second.find(PrefixBits(addr, entry.first));
    if (found != entry.second.end() && found->second < best) {
      best = found->second;
      result = entry.first;
    }
  }
  return result;
}
