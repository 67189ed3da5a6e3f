#include "host/CKelSnmpVarOp.h"

#include <new>

CKelSnmpVarOp::CKelSnmpVarOp(const CKelSnmpVarOp& other)
    : CKelListable(other),
      m_Index(other.m_Index != nullptr ? new CKelASN1Address(*other.m_Index) : nullptr),
      m_Value(nullptr) {
  if (other.m_Value != nullptr) m_Value = KelNew<CKelAtom>(*other.m_Value);
  if ((m_Index == nullptr && other.m_Index != nullptr) || (m_Value == nullptr && other.m_Value != nullptr)) {
    delete m_Index;
    delete m_Value;
    throw std::bad_alloc();
  }
}

CKelSnmpVarOp::~CKelSnmpVarOp() {
  delete m_Index;
  delete m_Value;
}

CKelListable* CKelSnmpVarOp::KLClone() const {
  try {
    return new CKelSnmpVarOp(*this);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
