// OIDs and syntaxes from RFC 3418 (system group), RFC 1213 (ipForwarding)
// and RFC 2465 (IPV6-MIB).
#include "snmp/MibObjectTable.h"

#include <cstdlib>
#include <string>
#include <unordered_map>

namespace snmp {

namespace {

using S = EMibSyntax;

struct Row {
  const char* name;
  const char* oid;
  EMibSyntax syntax;
  bool indexOnly;
};

const Row kRows[] = {
    {"sysDescr", "1.3.6.1.2.1.1.1", S::kDisplayString, false},
    {"sysObjectID", "1.3.6.1.2.1.1.2", S::kObjectId, false},
    {"ipForwarding", "1.3.6.1.2.1.4.1", S::kInteger, false},
    {"ipv6Forwarding", "1.3.6.1.2.1.55.1.1", S::kInteger, false},
    // ipv6IfTable
    {"ipv6IfIndex", "1.3.6.1.2.1.55.1.5.1.1", S::kInteger, true},
    {"ipv6IfDescr", "1.3.6.1.2.1.55.1.5.1.2", S::kDisplayString, false},
    {"ipv6IfLowerLayer", "1.3.6.1.2.1.55.1.5.1.3", S::kObjectId, false},
    {"ipv6IfEffectiveMtu", "1.3.6.1.2.1.55.1.5.1.4", S::kInteger, false},
    {"ipv6IfReasmMaxSize", "1.3.6.1.2.1.55.1.5.1.5", S::kInteger, false},
    {"ipv6IfIdentifier", "1.3.6.1.2.1.55.1.5.1.6", S::kOctets, false},
    {"ipv6IfIdentifierLength", "1.3.6.1.2.1.55.1.5.1.7", S::kInteger, false},
    {"ipv6IfPhysicalAddress", "1.3.6.1.2.1.55.1.5.1.8", S::kOctets, false},
    {"ipv6IfAdminStatus", "1.3.6.1.2.1.55.1.5.1.9", S::kInteger, false},
    {"ipv6IfOperStatus", "1.3.6.1.2.1.55.1.5.1.10", S::kInteger, false},
    {"ipv6IfLastChange", "1.3.6.1.2.1.55.1.5.1.11", S::kInteger, false},
    // ipv6AddrPrefixTable
    {"ipv6AddrPrefix", "1.3.6.1.2.1.55.1.7.1.1", S::kOctets, true},
    {"ipv6AddrPrefixLength", "1.3.6.1.2.1.55.1.7.1.2", S::kInteger, true},
    {"ipv6AddrPrefixOnLinkFlag", "1.3.6.1.2.1.55.1.7.1.3", S::kInteger, false},
    {"ipv6AddrPrefixAutonomousFlag", "1.3.6.1.2.1.55.1.7.1.4", S::kInteger, false},
    {"ipv6AddrPrefixAdvPreferredLifetime", "1.3.6.1.2.1.55.1.7.1.5", S::kInteger, false},
    {"ipv6AddrPrefixAdvValidLifetime", "1.3.6.1.2.1.55.1.7.1.6", S::kInteger, false},
    // ipv6AddrTable
    {"ipv6AddrAddress", "1.3.6.1.2.1.55.1.8.1.1", S::kOctets, true},
    {"ipv6AddrPfxLength", "1.3.6.1.2.1.55.1.8.1.2", S::kInteger, false},
    {"ipv6AddrType", "1.3.6.1.2.1.55.1.8.1.3", S::kInteger, false},
    {"ipv6AddrAnycastFlag", "1.3.6.1.2.1.55.1.8.1.4", S::kInteger, false},
    {"ipv6AddrStatus", "1.3.6.1.2.1.55.1.8.1.5", S::kInteger, false},
    // ipv6RouteTable
    {"ipv6RouteDest", "1.3.6.1.2.1.55.1.11.1.1", S::kOctets, true},
    {"ipv6RoutePfxLength", "1.3.6.1.2.1.55.1.11.1.2", S::kInteger, true},
    {"ipv6RouteIndex", "1.3.6.1.2.1.55.1.11.1.3", S::kInteger, true},
    {"ipv6RouteIfIndex", "1.3.6.1.2.1.55.1.11.1.4", S::kInteger, false},
    {"ipv6RouteNextHop", "1.3.6.1.2.1.55.1.11.1.5", S::kOctets, false},
    {"ipv6RouteType", "1.3.6.1.2.1.55.1.11.1.6", S::kInteger, false},
    {"ipv6RouteValid", "1.3.6.1.2.1.55.1.11.1.14", S::kInteger, false},
    // ipv6NetToMediaTable
    {"ipv6NetToMediaNetAddress", "1.3.6.1.2.1.55.1.12.1.1", S::kOctets, true},
    {"ipv6NetToMediaPhysAddress", "1.3.6.1.2.1.55.1.12.1.2", S::kOctets, false},
    {"ipv6IfNetToMediaState", "1.3.6.1.2.1.55.1.12.1.4", S::kInteger, false},
    {"ipv6NetToMediaValid", "1.3.6.1.2.1.55.1.12.1.6", S::kInteger, false},
};

// ipv6AddrPrefixEntry: its rows carry the prefix as a variable-length
// OCTET STRING in their index.
const char kPrefixEntry[] = "1.3.6.1.2.1.55.1.7.1";

struct Table {
  std::vector<MibObject> objects;
  std::unordered_map<std::string, const MibObject*> byName;
};

const Table& TheTable() {
  static const Table* table = [] {
    auto* t = new Table;
    Oid prefixEntry;
    ParseOid(kPrefixEntry, &prefixEntry);
    t->objects.reserve(sizeof(kRows) / sizeof(kRows[0]));
    for (const Row& row : kRows) {
      MibObject object{row.name, Oid(), row.syntax, row.indexOnly, false};
      if (!ParseOid(row.oid, &object.oid)) abort();  // the table above is wrong
      object.prefixIndexed = OidIsUnder(object.oid, prefixEntry);
      t->objects.push_back(std::move(object));
    }
    for (const MibObject& object : t->objects) t->byName.emplace(object.name, &object);
    return t;
  }();
  return *table;
}

}  // namespace

const MibObject* FindMibObject(const char* name) {
  if (name == nullptr) return nullptr;
  const Table& table = TheTable();
  auto it = table.byName.find(name);
  return it == table.byName.end() ? nullptr : it->second;
}

const std::vector<MibObject>& MibObjects() { return TheTable().objects; }

}  // namespace snmp
