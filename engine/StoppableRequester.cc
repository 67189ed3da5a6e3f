#include "engine/StoppableRequester.h"

namespace {

thread_local bool t_CutShort = false;

}  // namespace

bool CStoppableRequester::NeCutShort() { return t_CutShort; }

bool CStoppableRequester::Refused() const {
  if (!m_Stopped.load()) return false;
  t_CutShort = true;
  return true;
}

CKelSnmpVarOp* CStoppableRequester::DSRSnmpGet(CKelRecord* record, const char* objectName,
                                               const char* instance, const char* extra) {
  return Refused() ? nullptr : m_Inner->DSRSnmpGet(record, objectName, instance, extra);
}

CKelDoubleList* CStoppableRequester::DSRSnmpGetNext(CKelRecord* record, const char* columnName,
                                                    const char* extra1, const char* extra2) {
  return Refused() ? nullptr : m_Inner->DSRSnmpGetNext(record, columnName, extra1, extra2);
}

void CStoppableRequester::DSRNeBegin() {
  t_CutShort = false;
  m_Inner->DSRNeBegin();
}
