#include "host/CKelVarBind.h"

#include <new>

CKelVarBind::CKelVarBind(const char* name, CKelAtom* value) : m_Name(new CKelAtom(name)), m_Value(value) {}

CKelVarBind::CKelVarBind(const char* name, const CKelAtom* value) : m_Name(new CKelAtom(name)), m_Value(nullptr) {
  if (value != nullptr) {
    try {
      m_Value = new CKelAtom(*value);
    } catch (...) {
      delete m_Name;
      throw;
    }
  }
}

CKelVarBind::CKelVarBind(const char* name, std::nullptr_t) : m_Name(new CKelAtom(name)), m_Value(nullptr) {}

CKelVarBind::CKelVarBind(const char* name, char* text) : m_Name(new CKelAtom(name)), m_Value(nullptr) {
  if (text != nullptr) m_Value = new (std::nothrow) CKelAtom(text);
  if (text != nullptr && m_Value == nullptr) {
    delete m_Name;
    throw std::bad_alloc();
  }
}

CKelVarBind::CKelVarBind(const char* name, const char* text) : m_Name(new CKelAtom(name)), m_Value(nullptr) {
  if (text != nullptr) {
    try {
      m_Value = new CKelAtom(text);
    } catch (...) {
      delete m_Name;
      throw;
    }
  }
}

CKelVarBind::CKelVarBind(const CKelVarBind& other)
    : CKelListable(other), m_Name(new CKelAtom(*other.m_Name)), m_Value(nullptr) {
  if (other.m_Value != nullptr) {
    try {
      m_Value = new CKelAtom(*other.m_Value);
    } catch (...) {
      delete m_Name;
      throw;
    }
  }
}

CKelVarBind::~CKelVarBind() {
  delete m_Value;
  delete m_Name;
}

int CKelVarBind::KVBSetValue(CKelAtom* value) {
  if (value == m_Value) return KEL_OK;  // setting the held atom again keeps it
  delete m_Value;
  m_Value = value;
  return KEL_OK;
}

char* CKelVarBind::KVBValAsString() const { return m_Value != nullptr ? m_Value->KAStrRep() : nullptr; }

CKelListable* CKelVarBind::KLClone() const {
  try {
    return new CKelVarBind(*this);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
