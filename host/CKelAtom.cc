#include "host/CKelAtom.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "host/CKelDoubleList.h"
#include "host/CKelVarBind.h"

namespace {

// A malloc'ed copy of `text`, "" for null. Null only when memory runs out.
char* DupText(const char* text) { return KelDupText(text); }

}  // namespace

CKelAtom::CKelAtom(int value) : m_Type(E_KDTInteger), m_Int(value) {}

CKelAtom::CKelAtom(long long value) : m_Type(E_KDTInteger), m_Int(value) {}

CKelAtom::CKelAtom(const char* text) : m_Type(E_KDTString), m_Text(DupText(text)) {
  if (m_Text == nullptr) throw std::bad_alloc();
}

CKelAtom::CKelAtom(char* text) : m_Type(E_KDTString), m_Text(text) {
  if (m_Text == nullptr) {
    m_Text = DupText(nullptr);
    if (m_Text == nullptr) throw std::bad_alloc();
  }
}

// Every list atom holds a list, so KAList() never returns null for one.
CKelAtom::CKelAtom(CKelDoubleList* list, EKelDataType /*type*/)
    : m_Type(E_KDTList), m_List(list != nullptr ? list : new CKelDoubleList()) {
  if (m_List == nullptr) throw std::bad_alloc();
}

CKelAtom::CKelAtom(const CKelAtom& other) : CKelListable(other), m_Type(other.m_Type), m_Int(0) {
  if (other.m_Type == E_KDTInteger) {
    m_Int = other.m_Int;
  } else if (other.m_Borrowed) {
    m_Borrowed = true;
    m_Text = other.m_Text;
  } else if (other.m_Type == E_KDTString) {
    m_Text = DupText(other.m_Text);
    if (m_Text == nullptr) throw std::bad_alloc();
  } else if (other.m_Type == E_KDTList) {
    m_List = new CKelDoubleList(*other.m_List);
    if (m_List == nullptr) throw std::bad_alloc();
  }
}

CKelAtom::~CKelAtom() { Release(); }

void CKelAtom::Release() {
  if (m_Type == E_KDTString && !m_Borrowed) free(m_Text);
  if (m_Type == E_KDTList) delete m_List;
  m_Borrowed = false;
  m_Int = 0;
}

char* CKelAtom::KAStrRep() const {
  try {
    return StrRep();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

char* CKelAtom::StrRep() const {
  switch (m_Type) {
    case E_KDTInteger: {
      char buf[32];
      snprintf(buf, sizeof(buf), "%lld", m_Int);
      return DupText(buf);
    }
    case E_KDTString:
      return DupText(m_Text);
    case E_KDTList:
      break;
  }
  std::string out = "(";
  bool first = true;
  for (CKelListable* e = m_List->KDLHead(); e != nullptr; e = m_List->KDLGetNext(e)) {
    const CKelAtom* value = nullptr;
    if (e->KLKind() == E_KLKAtom) {
      value = static_cast<const CKelAtom*>(e);
    } else if (e->KLKind() == E_KLKVarBind) {
      value = static_cast<const CKelVarBind*>(e)->KVBValue();
    }
    if (value == nullptr) continue;  // other kinds and empty var binds print nothing
    char* part = value->KAStrRep();
    if (part == nullptr) return nullptr;
    if (!first) out += ", ";
    out += part;
    free(part);
    first = false;
  }
  out += ")";
  return DupText(out.c_str());
}

int CKelAtom::KASet(char* text) {
  if (text == nullptr) return KEL_ERR_NULL_ARG;
  if (m_Type == E_KDTString && text == m_Text) return KEL_OK;  // already ours: freeing it would lose the value
  Release();
  m_Type = E_KDTString;
  m_Text = text;
  return KEL_OK;
}

CKelListable* CKelAtom::KLClone() const {
  try {
    return new CKelAtom(*this);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
