#include "snmp/Rfc2465Translation.h"

#include <set>
#include <string>

namespace snmp {

namespace {

constexpr uint32_t kInetIpv6 = 2;
constexpr uint32_t kInetIpv6z = 4;
const uint32_t kPrefixEntry[] = {1, 3, 6, 1, 2, 1, 4, 32, 1};

WireValue Int(long long value) {
  WireValue out;
  out.type = EWireType::kInteger;
  out.integer = value;
  return out;
}

WireValue Octets(const std::string& octets) {
  WireValue out;
  out.type = EWireType::kOctetString;
  out.octets = octets;
  return out;
}

void CopyCell(const TableRow* from, uint32_t column, TableRow* to, uint32_t as) {
  if (from == nullptr) return;
  if (const WireValue* value = CellOf(*from, column)) (*to)[as] = *value;
}

// Reads an InetAddressType, its length and that many octets from `index`
// at `*pos` (RFC 4001) and moves `*pos` past them. False when they do not
// fit. `*ipv6` gets the 16 octets of an ipv6 or ipv6z address (the zone
// index dropped) and stays empty for any other type.
bool ReadInetAddress(const Oid& index, size_t* pos, uint32_t* type, std::string* ipv6) {
  ipv6->clear();
  if (*pos + 2 > index.size()) return false;
  *type = index[*pos];
  const uint32_t length = index[*pos + 1];
  if (length > index.size() - *pos - 2) return false;
  std::string octets;
  for (uint32_t i = 0; i < length; ++i) {
    const uint32_t octet = index[*pos + 2 + i];
    if (octet > 255) return false;
    octets.push_back(static_cast<char>(octet));
  }
  *pos += 2 + length;
  if ((*type == kInetIpv6 && length == 16) || (*type == kInetIpv6z && length == 20)) {
    *ipv6 = octets.substr(0, 16);
  }
  return true;
}

// An index made of the leading sub-identifiers, then the 16 octets, then
// the trailing ones.
Oid IndexOf(std::initializer_list<uint32_t> lead, const std::string& octets,
            std::initializer_list<uint32_t> trail) {
  Oid index(lead);
  for (unsigned char octet : octets) index.push_back(octet);
  index.insert(index.end(), trail);
  return index;
}

bool InterfaceIndex(const TableRow& row, uint32_t column, uint32_t* out) {
  long long value = 0;
  if (!IntegerOf(CellOf(row, column), &value) || value < 1 || value > 0x7fffffff) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

// The IPv6 rows of ipAddressTable: ifIndex, 16 octets, the row.
struct AddressRow {
  uint32_t ifIndex;
  std::string octets;
  const TableRow* row;
};

std::vector<AddressRow> Ipv6Addresses(const TableRows& ipAddress) {
  std::vector<AddressRow> out;
  for (const auto& [index, row] : ipAddress) {
    size_t pos = 0;
    uint32_t type = 0, ifIndex = 0;
    std::string octets;
    if (!ReadInetAddress(index, &pos, &type, &octets) || pos != index.size() || octets.empty() ||
        !InterfaceIndex(row, 3, &ifIndex)) {
      continue;
    }
    out.push_back(AddressRow{ifIndex, octets, &row});
  }
  return out;
}

const TableRow* RowAt(const TableRows& table, uint32_t ifIndex) {
  auto it = table.find(Oid{ifIndex});
  return it == table.end() ? nullptr : &it->second;
}

bool Is(const WireValue* value, long long wanted) {
  long long v = 0;
  return IntegerOf(value, &v) && v == wanted;
}

TableRows Interfaces(const TableRows& ifTable, const TableRows& ipv6If,
                     const TableRows& ipAddress) {
  std::map<uint32_t, std::string> linkLocal;  // ifIndex -> first fe80::/10 address
  std::set<uint32_t> interfaces;
  for (const AddressRow& address : Ipv6Addresses(ipAddress)) {
    interfaces.insert(address.ifIndex);
    const auto first = static_cast<unsigned char>(address.octets[0]);
    const auto second = static_cast<unsigned char>(address.octets[1]);
    if (first == 0xfe && (second & 0xc0) == 0x80) linkLocal.emplace(address.ifIndex, address.octets);
  }
  for (const auto& entry : ipv6If) {
    if (entry.first.size() == 1 && entry.first[0] > 0) interfaces.insert(entry.first[0]);
  }
  TableRows out;
  for (uint32_t ifIndex : interfaces) {
    const TableRow* ifRow = RowAt(ifTable, ifIndex);
    const TableRow* v6Row = RowAt(ipv6If, ifIndex);
    TableRow& row = out[Oid{ifIndex}];
    CopyCell(ifRow, 2, &row, 2);
    long long mtu = 0;
    if (ifRow != nullptr && IntegerOf(CellOf(*ifRow, 4), &mtu) && mtu >= 0) row[4] = Int(mtu);
    CopyCell(v6Row, 2, &row, 5);
    const WireValue* identifier = v6Row != nullptr ? CellOf(*v6Row, 3) : nullptr;
    if (identifier != nullptr && identifier->type == EWireType::kOctetString) {
      row[6] = *identifier;
      row[7] = Int(8 * static_cast<long long>(identifier->octets.size()));
    } else if (linkLocal.count(ifIndex) != 0) {
      row[6] = Octets(linkLocal[ifIndex].substr(8));
      row[7] = Int(64);
    }
    CopyCell(ifRow, 6, &row, 8);
    const WireValue* admin = ifRow != nullptr ? CellOf(*ifRow, 7) : nullptr;
    const WireValue* enable = v6Row != nullptr ? CellOf(*v6Row, 5) : nullptr;
    if (Is(admin, 2) || Is(enable, 2)) {
      row[9] = Int(2);
    } else if (Is(admin, 1) || Is(enable, 1)) {
      row[9] = Int(1);
    }
    long long oper = 0;
    if (ifRow != nullptr && IntegerOf(CellOf(*ifRow, 8), &oper)) {
      // IF-MIB up(1) down(2) testing(3) unknown(4) dormant(5) notPresent(6)
      // lowerLayerDown(7) -> RFC 2465 up(1) down(2) unknown(4) notPresent(5).
      static const long long kOper[] = {4, 1, 2, 2, 4, 2, 5, 2};
      row[10] = Int(oper >= 1 && oper <= 7 ? kOper[oper] : 4);
    }
    CopyCell(ifRow, 9, &row, 11);
  }
  return out;
}

// The prefix length that an ipAddressPrefix row pointer names, or -1.
long long PointedPrefixLength(const WireValue* pointer) {
  if (pointer == nullptr || pointer->type != EWireType::kObjectId) return -1;
  const Oid entry(std::begin(kPrefixEntry), std::end(kPrefixEntry));
  const Oid& oid = pointer->oid;
  if (!OidIsUnder(oid, entry) || oid.size() < entry.size() + 2 || oid.back() > 128) return -1;
  return oid.back();
}

TableRows Addresses(const TableRows& ipAddress) {
  TableRows out;
  for (const AddressRow& address : Ipv6Addresses(ipAddress)) {
    auto [it, added] = out.emplace(IndexOf({address.ifIndex}, address.octets, {}), TableRow());
    if (!added) continue;
    TableRow& row = it->second;
    const TableRow& from = *address.row;
    const long long length = PointedPrefixLength(CellOf(from, 5));
    if (length >= 0) row[2] = Int(length);
    long long value = 0;
    if (IntegerOf(CellOf(from, 6), &value)) {  // ipAddressOrigin
      row[3] = Int(value == 5 || value == 6 ? 1 : value == 4 ? 2 : 3);
    }
    if (IntegerOf(CellOf(from, 4), &value) && value >= 1 && value <= 3) {  // ipAddressType
      row[4] = Int(value == 2 ? 1 : 2);
    }
    if (IntegerOf(CellOf(from, 7), &value)) {  // ipAddressStatus
      row[5] = Int(value >= 1 && value <= 5 ? value : 5);
    }
  }
  return out;
}

TableRows Prefixes(const TableRows& ipAddressPrefix) {
  TableRows out;
  for (const auto& [index, from] : ipAddressPrefix) {
    size_t pos = 1;
    uint32_t type = 0;
    std::string octets;
    if (index.empty() || index[0] == 0 || !ReadInetAddress(index, &pos, &type, &octets) ||
        octets.empty() || pos + 1 != index.size() || index.back() > 128) {
      continue;
    }
    auto [it, added] = out.emplace(IndexOf({index[0]}, octets, {index.back()}), TableRow());
    if (!added) continue;
    for (uint32_t column : {6u, 7u, 8u, 9u}) CopyCell(&from, column, &it->second, column - 3);
  }
  return out;
}

TableRows Routes(const TableRows& inetCidrRoute) {
  TableRows out;
  std::map<std::pair<std::string, uint32_t>, uint32_t> routeIndexes;
  for (const auto& [index, from] : inetCidrRoute) {
    size_t pos = 0;
    uint32_t destType = 0, hopType = 0;
    std::string dest, hop;
    if (!ReadInetAddress(index, &pos, &destType, &dest) || dest.empty()) continue;
    if (pos + 2 > index.size() || index[pos] > 128) continue;
    const uint32_t length = index[pos];
    const uint32_t policyLength = index[pos + 1];
    if (policyLength > index.size() - pos - 2) continue;
    pos += 2 + policyLength;
    const size_t hopStart = pos;
    if (!ReadInetAddress(index, &pos, &hopType, &hop) || pos != index.size()) continue;
    if (hop.empty()) {
      const bool onLink = hopType == 0 && index[hopStart + 1] == 0;
      if (!onLink) continue;
      hop.assign(16, '\0');
    }
    const uint32_t routeIndex = ++routeIndexes[{dest, length}];
    TableRow& row = out[IndexOf({}, dest, {length, routeIndex})];
    CopyCell(&from, 7, &row, 4);
    row[5] = Octets(hop);
    long long value = 0;
    if (IntegerOf(CellOf(from, 8), &value)) {
      row[6] = Int(value == 2 || value == 5 ? 2 : value == 3 || value == 4 ? value : 1);
    }
    if (CellOf(from, 17) != nullptr) row[14] = Int(Is(CellOf(from, 17), 1) ? 1 : 2);
  }
  return out;
}

TableRows NetToMedia(const TableRows& ipNetToPhysical) {
  TableRows out;
  for (const auto& [index, from] : ipNetToPhysical) {
    size_t pos = 1;
    uint32_t type = 0;
    std::string octets;
    if (index.empty() || index[0] == 0 || !ReadInetAddress(index, &pos, &type, &octets) ||
        octets.empty() || pos != index.size()) {
      continue;
    }
    auto [it, added] = out.emplace(IndexOf({index[0]}, octets, {}), TableRow());
    if (!added) continue;
    TableRow& row = it->second;
    CopyCell(&from, 4, &row, 2);
    long long state = 0;
    if (IntegerOf(CellOf(from, 7), &state)) row[4] = Int(state >= 1 && state <= 6 ? state : 6);
    const WireValue* entryType = CellOf(from, 6);
    const WireValue* status = CellOf(from, 8);
    if (entryType != nullptr || status != nullptr) {
      const bool valid = !Is(entryType, 2) && (status == nullptr || Is(status, 1));
      row[6] = Int(valid ? 1 : 2);
    }
  }
  return out;
}

}  // namespace

void UnswapInterfaceStatus(const TableRows& ifTable, TableRows* ipv6IfTable) {
  for (auto& [index, row] : *ipv6IfTable) {
    if (index.size() != 1) continue;
    const TableRow* ifRow = RowAt(ifTable, index[0]);
    long long admin = 0, oper = 0, v6Admin = 0, v6Oper = 0;
    if (ifRow == nullptr || !IntegerOf(CellOf(*ifRow, 7), &admin) ||
        !IntegerOf(CellOf(*ifRow, 8), &oper) || !IntegerOf(CellOf(row, 9), &v6Admin) ||
        !IntegerOf(CellOf(row, 10), &v6Oper)) {
      continue;
    }
    const bool upDown = (admin == 1 && oper == 2) || (admin == 2 && oper == 1);
    if (upDown && v6Admin == oper && v6Oper == admin) {
      row[9] = Int(admin);
      row[10] = Int(oper);
    }
  }
}

TableRows TranslateRfc2465(ETable table, const std::map<ETable, TableRows>& sources) {
  static const TableRows kEmpty;
  auto source = [&sources](ETable id) -> const TableRows& {
    auto it = sources.find(id);
    return it == sources.end() ? kEmpty : it->second;
  };
  switch (table) {
    case ETable::kIpv6If:
      return Interfaces(source(ETable::kIf), source(ETable::kIpv6Interface),
                        source(ETable::kIpAddress));
    case ETable::kIpv6Addr: return Addresses(source(ETable::kIpAddress));
    case ETable::kIpv6AddrPrefix: return Prefixes(source(ETable::kIpAddressPrefix));
    case ETable::kIpv6NetToMedia: return NetToMedia(source(ETable::kIpNetToPhysical));
    case ETable::kIpv6Route: return Routes(source(ETable::kInetCidrRoute));
    default: return TableRows();
  }
}

}  // namespace snmp
