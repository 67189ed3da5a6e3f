#include "host/CKelRecord.h"

#include <cstdlib>
#include <memory>
#include <new>

#include "host/KelTrace.h"

CKelRecord::CKelRecord(const CKelRecord& other) : CKelListable(other), m_Fields(other.m_Fields) {
  for (CKelListable* e = m_Fields.KDLHead(); e != nullptr; e = m_Fields.KDLGetNext(e)) {
    CKelVarBind* field = static_cast<CKelVarBind*>(e);
    m_ByName.emplace(field->KVBNameText(), field);
  }
}

CKelVarBind* CKelRecord::KRValuePairOf(const char* name) const {
  if (name == nullptr) return nullptr;
  auto found = m_ByName.find(name);
  return found == m_ByName.end() ? nullptr : found->second;
}

CKelAtom* CKelRecord::KRValueOf(const char* name) const {
  CKelVarBind* field = KRValuePairOf(name);
  return field != nullptr ? field->KVBValue() : nullptr;
}

// Takes over `atom` on success only.
int CKelRecord::Set(const char* name, CKelAtom* atom) {
  if (name == nullptr || atom == nullptr) return KEL_ERR_NULL_ARG;
  CKelVarBind* field = KRValuePairOf(name);
  if (field != nullptr) return field->KVBSetValue(atom);
  std::unique_ptr<CKelVarBind> added(KelNew<CKelVarBind>(name, static_cast<CKelAtom*>(nullptr)));
  if (!added) return KEL_ERR_NO_MEMORY;
  ByName::iterator slot;
  try {
    slot = m_ByName.emplace(name, added.get()).first;
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
  // A new var bind: refused only for want of memory.
  const int status = m_Fields.KDLAddToListEnd(added.get());
  if (status != KEL_OK) {
    m_ByName.erase(slot);
    return status;
  }
  // Only now that nothing can fail does the field take the atom.
  added.release()->KVBSetValue(atom);
  return KEL_OK;
}

int CKelRecord::KRAddOrSetValue(const char* name, const char* text) {
  if (name == nullptr || text == nullptr) return KEL_ERR_NULL_ARG;
  CKelAtom* atom = KelNew<CKelAtom>(text);
  if (atom == nullptr) return KEL_ERR_NO_MEMORY;
  int status = Set(name, atom);
  if (status != KEL_OK) delete atom;
  return status;
}

int CKelRecord::KRAddOrSetValue(const char* name, char* text) {
  // Checked before the text goes into an atom, so that a refused text is
  // still the caller's.
  if (name == nullptr || text == nullptr) return KEL_ERR_NULL_ARG;
  std::unique_ptr<CKelAtom> atom(new CKelAtom(static_cast<long long>(0)));
  if (!atom) return KEL_ERR_NO_MEMORY;
  int status = Set(name, atom.get());
  if (status != KEL_OK) return status;
  atom.release()->KASet(text);
  return KEL_OK;
}

int CKelRecord::KRAddOrSetValue(const char* name, int value) {
  return KRAddOrSetValue(name, static_cast<long long>(value));
}

int CKelRecord::KRAddOrSetValue(const char* name, long long value) {
  if (name == nullptr) return KEL_ERR_NULL_ARG;
  CKelAtom* atom = new CKelAtom(value);
  if (atom == nullptr) return KEL_ERR_NO_MEMORY;
  int status = Set(name, atom);
  if (status != KEL_OK) delete atom;
  return status;
}

int CKelRecord::KRAddOrSetValue(const char* name, CKelAtom* atom) { return Set(name, atom); }

int CKelRecord::KRAddOrSetValue(const char* name, const CKelAtom* atom) {
  if (name == nullptr || atom == nullptr) return KEL_ERR_NULL_ARG;
  CKelAtom* copy = KelNew<CKelAtom>(*atom);
  if (copy == nullptr) return KEL_ERR_NO_MEMORY;
  int status = Set(name, copy);
  if (status != KEL_OK) delete copy;
  return status;
}

int CKelRecord::KRAddValue(const char* name, CKelAtom* atom) {
  if (name == nullptr || atom == nullptr) return KEL_ERR_NULL_ARG;
  if (KRValuePairOf(name) != nullptr) return KEL_ERR_DUPLICATE;
  return Set(name, atom);
}

int CKelRecord::KRRemoveValue(const char* name) {
  CKelVarBind* field = KRValuePairOf(name);
  if (field == nullptr) return KEL_ERR_NOT_FOUND;
  m_ByName.erase(name);
  m_Fields.KDLRemove(field);
  delete field;
  return KEL_OK;
}

std::string CKelRecord::KRToString() const {
  std::string out = "{";
  bool first = true;
  for (CKelListable* e = m_Fields.KDLHead(); e != nullptr; e = m_Fields.KDLGetNext(e)) {
    const CKelVarBind* field = static_cast<const CKelVarBind*>(e);
    out += first ? " " : ", ";
    first = false;
    out += field->KVBNameText();
    out += " = ";
    std::unique_ptr<char, decltype(&free)> value(field->KVBValAsString(), &free);
    out += value ? value.get() : "(null)";
  }
  out += " }";
  return out;
}

void CKelRecord::KRPrint() const {
  if (!KelTraceOn(4)) return;
  try {
    genXPLTrace(KRToString().c_str(), 4);
  } catch (const std::bad_alloc&) {
    // A trace line is not worth failing for.
  }
}

CKelListable* CKelRecord::KLClone() const {
  try {
    return new CKelRecord(*this);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
