#include "host/CKelSnmpVarOp.h"

#include <new>

CKelSnmpVarOp::CKelSnmpVarOp(const CKelSnmpVarOp& other)
    : CKelListable(other),
      m_Index(other.m_Index != nullptr ? new CKelASN1Address(*other.m_Index) : nullptr),
      m_Value(nullptr) {
  if (other.m_Value != nullptr) {
    try {
      m_Value = new CKelAtom(*other.m_Value);
    } catch (...) {
      delete m_Index;
      throw;
    }
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
