// Helpers of the requester tests: the objects the agent reads, records,
// and requests as texts (see VarOpText.h).
#ifndef TESTS_SUPPORT_SNMPTESTUTIL_H_
#define TESTS_SUPPORT_SNMPTESTUTIL_H_

#include <memory>
#include <string>
#include <vector>

#include "host/CDiscoStdRequester.h"
#include "host/CKelRecord.h"
#include "tests/support/VarOpText.h"

// The 25 columns the agent walks, in its order.
inline const std::vector<std::string>& WalkedColumns() {
  static const std::vector<std::string> columns = {
      "ipv6IfDescr", "ipv6IfLowerLayer", "ipv6IfEffectiveMtu", "ipv6IfReasmMaxSize",
      "ipv6IfIdentifier", "ipv6IfIdentifierLength", "ipv6IfPhysicalAddress",
      "ipv6IfAdminStatus", "ipv6IfOperStatus", "ipv6IfLastChange", "ipv6AddrPfxLength",
      "ipv6AddrType", "ipv6AddrAnycastFlag", "ipv6AddrStatus", "ipv6AddrPrefixOnLinkFlag",
      "ipv6AddrPrefixAutonomousFlag", "ipv6AddrPrefixAdvPreferredLifetime",
      "ipv6AddrPrefixAdvValidLifetime", "ipv6NetToMediaPhysAddress", "ipv6IfNetToMediaState",
      "ipv6NetToMediaValid", "ipv6RouteIfIndex", "ipv6RouteNextHop", "ipv6RouteType",
      "ipv6RouteValid"};
  return columns;
}

inline const std::vector<std::string>& Scalars() {
  static const std::vector<std::string> scalars = {"sysObjectID", "sysDescr", "ipForwarding",
                                                   "ipv6Forwarding"};
  return scalars;
}

// A record whose `field` holds `address`.
inline std::unique_ptr<CKelRecord> RecordAt(const std::string& address,
                                            const char* field = "m_UniqueAddress") {
  auto record = std::make_unique<CKelRecord>();
  record->KRAddOrSetValue(field, address.c_str());
  return record;
}

inline std::string GetText(CDiscoStdRequester* requester, CKelRecord* record, const char* name,
                           const char* instance = "0") {
  std::unique_ptr<CKelSnmpVarOp> varOp(requester->DSRSnmpGet(record, name, instance, nullptr));
  return VarOpText(varOp.get());
}

inline std::vector<std::string> WalkText(CDiscoStdRequester* requester, CKelRecord* record,
                                         const char* column) {
  std::unique_ptr<CKelDoubleList> list(requester->DSRSnmpGetNext(record, column, nullptr, nullptr));
  return VarOpListText(list.get());
}

// Everything a device gives for the four scalars and the 25 columns, one
// text per line, prefixed with the object name.
inline std::vector<std::string> FullDump(CDiscoStdRequester* requester, CKelRecord* record) {
  std::vector<std::string> lines;
  for (const std::string& name : Scalars()) {
    lines.push_back(name + " " + GetText(requester, record, name.c_str()));
  }
  for (const std::string& column : WalkedColumns()) {
    for (const std::string& row : WalkText(requester, record, column.c_str())) {
      lines.push_back(column + " " + row);
    }
  }
  return lines;
}

#endif  // TESTS_SUPPORT_SNMPTESTUTIL_H_
