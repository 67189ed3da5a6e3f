// Requester results as texts: one line per var-op, "<index> = int:<n>|text:<s>|null".
#ifndef TESTS_SUPPORT_SNMPTESTUTIL_H_
#define TESTS_SUPPORT_SNMPTESTUTIL_H_

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/CDiscoStdRequester.h"
#include "host/CKelDoubleList.h"
#include "host/CKelRecord.h"
#include "host/CKelSnmpVarOp.h"
#include "snmp/MibObjectTable.h"

inline std::string VarOpText(const CKelSnmpVarOp* varOp) {
  if (varOp == nullptr) return "<null var-op>";
  char* index = varOp->KSVOASN1() ? varOp->KSVOASN1()->KAAAddressPrint() : nullptr;
  const std::string text = index ? index : "<null index>";
  free(index);
  const CKelAtom* value = varOp->KSVOValue();
  if (value == nullptr) return text + " = null";
  if (value->KAType() == E_KDTInteger) return text + " = int:" + std::to_string(value->KAInt64());
  return text + (value->KAType() == E_KDTString ? " = text:" + std::string(value->KAString()) : " = list");
}

inline auto RecordAt(const std::string& address, const char* field = "m_UniqueAddress") {
  auto record = std::make_unique<CKelRecord>();
  record->KRAddOrSetValue(field, address.c_str());
  return record;
}

inline std::string GetText(CDiscoStdRequester* req, CKelRecord* record, const char* name,
                           const char* instance = "0") {
  return VarOpText(std::unique_ptr<CKelSnmpVarOp>(req->DSRSnmpGet(record, name, instance, nullptr)).get());
}

// One text per element ("<null var-op>" for another kind); {"<null list>"} for no list.
inline std::vector<std::string> WalkText(CDiscoStdRequester* req, CKelRecord* record, const char* column) {
  std::unique_ptr<CKelDoubleList> list(req->DSRSnmpGetNext(record, column, nullptr, nullptr));
  if (list == nullptr) return {"<null list>"};
  std::vector<std::string> lines;
  for (CKelListable* item = list->KDLHead(); item != nullptr; item = list->KDLGetNext(item)) {
    lines.push_back(VarOpText(dynamic_cast<CKelSnmpVarOp*>(item)));
  }
  return lines;
}

// What the agent reads of a device: every scalar, then every column but the index ones, each line prefixed
// with the object.
inline std::vector<std::string> FullDump(CDiscoStdRequester* requester, CKelRecord* record) {
  std::vector<std::string> lines;
  for (const snmp::MibObject& object : snmp::MibObjects()) {
    const bool scalar = object.oid.size() < 10;
    if (object.indexOnly) continue;
    for (const std::string& row : scalar ? std::vector<std::string>{GetText(requester, record, object.name)}
                                         : WalkText(requester, record, object.name)) {
      lines.push_back(object.name + (" " + row));
    }
  }
  return lines;
}

#endif  // TESTS_SUPPORT_SNMPTESTUTIL_H_
