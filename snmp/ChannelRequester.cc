#include "snmp/ChannelRequester.h"

#include <string>

#include "host/KelError.h"
#include "host/KelTrace.h"
#include "snmp/AtomConversion.h"
#include "snmp/MibObjectTable.h"
#include "snmp/RequesterErrors.h"

namespace {

// Request details are traced one level above the agent's own lines.
constexpr int kTraceLevel = 5;

const snmp::MibObject* ObjectOrReport(const char* name) {
  const snmp::MibObject* object = snmp::FindMibObject(name);
  if (object == nullptr) {
    std::string message = std::string("unknown SNMP object \"") +
                          (name != nullptr ? name : "(null)") + "\"";
    CKelError(snmp::kErrUnknownObject, __FILE__, __LINE__, message.c_str());
  }
  return object;
}

}  // namespace

CKelSnmpVarOp* CChannelRequester::DSRSnmpGet(CKelRecord* record, const char* objectName,
                                             const char* instance, const char* /*extra*/) {
  const snmp::MibObject* object = ObjectOrReport(objectName);
  if (object == nullptr) return nullptr;
  const std::string instanceText = instance != nullptr ? instance : "0";
  snmp::Oid oid;
  if (!snmp::ParseOid(instanceText, &oid)) {
    std::string message = "bad instance \"" + instanceText + "\" of " + object->name;
    CKelError(snmp::kErrBadInstance, __FILE__, __LINE__, message.c_str());
    return nullptr;
  }
  oid.insert(oid.begin(), object->oid.begin(), object->oid.end());

  const std::string target = DSRTargetAddress(record);
  if (target.empty()) return nullptr;
  std::unique_ptr<snmp::PduChannel> channel = DSROpenChannel(target);
  if (channel == nullptr) return nullptr;

  m_Counter.AddGet();
  m_Counter.AddPdus(1);
  snmp::VarBind bind;
  snmp::EPduOutcome outcome = snmp::EPduOutcome::kNoAnswer;
  std::string detail;
  CKelSnmpVarOp* varOp = nullptr;
  if (snmp::GetExact(channel.get(), oid, &bind, &outcome, &detail)) {
    varOp = snmp::MakeVarOp(*object, bind);
  }
  channel.reset();
  const bool answered = outcome == snmp::EPduOutcome::kAnswer;
  if (outcome == snmp::EPduOutcome::kNoAnswer) m_Counter.AddNoAnswer();
  if (outcome == snmp::EPduOutcome::kFailed) {
    std::string message = std::string("GET of ") + object->name + "." + instanceText + " at " +
                          target + " failed: " + detail;
    CKelError(snmp::kErrSession, __FILE__, __LINE__, message.c_str());
  }
  genXPLTracef(kTraceLevel, "SNMP GET %s.%s at %s: %s\n", object->name, instanceText.c_str(),
               target.c_str(), varOp != nullptr ? "value" : answered ? "no value" : "no answer");
  return varOp;
}

CKelDoubleList* CChannelRequester::DSRSnmpGetNext(CKelRecord* record, const char* columnName,
                                                  const char* /*extra1*/,
                                                  const char* /*extra2*/) {
  const snmp::MibObject* object = ObjectOrReport(columnName);
  if (object == nullptr) return nullptr;
  const std::string target = DSRTargetAddress(record);
  if (target.empty()) return nullptr;
  std::unique_ptr<snmp::PduChannel> channel = DSROpenChannel(target);
  if (channel == nullptr) return nullptr;

  m_Counter.AddWalk();
  snmp::WalkResult walk = snmp::WalkColumn(channel.get(), object->oid, m_Walk);
  channel.reset();  // the session (and any lock it holds) goes before the conversion
  m_Counter.AddPdus(walk.requests);
  if (!walk.error.empty()) {
    std::string message = std::string("walk of ") + object->name + " at " + target +
                          " stopped: " + walk.error;
    CKelError(snmp::kErrWalkStopped, __FILE__, __LINE__, message.c_str());
  }
  genXPLTracef(kTraceLevel, "SNMP walk %s at %s: %zu rows in %d requests%s\n", object->name,
               target.c_str(), walk.rows.size(), walk.requests,
               walk.answered ? "" : " (no answer)");
  if (!walk.answered) {
    m_Counter.AddNoAnswer();
    return nullptr;
  }
  auto* list = new CKelDoubleList;
  for (const snmp::VarBind& row : walk.rows) {
    CKelSnmpVarOp* varOp = snmp::MakeVarOp(*object, row);
    if (varOp != nullptr) list->KDLAddToListEnd(varOp);
  }
  return list;
}
