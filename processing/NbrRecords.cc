#include "processing/NbrRecords.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "host/CKelPointer.h"
#include "host/KelTypes.h"

namespace nbr {

namespace {

// Scope numbers (see scopeDescr).
constexpr int kUnknown = 0;
constexpr int kLinkLocal = 1;
constexpr int kSiteLocal = 2;
constexpr int kGlobal = 3;
constexpr int kV4Compat = 7;

}  // namespace

CKelVarBind* NewCopyField(const char* name, const CKelAtom* value) {
  try {
    return new CKelVarBind(name, value);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CKelVarBind* NewTextField(const char* name, char* text) {
  try {
    return new CKelVarBind(name, text);
  } catch (const std::bad_alloc&) {
    free(text);  // the var bind never took it
    return nullptr;
  }
}

CKelVarBind* NewCopiedTextField(const char* name, const char* text) {
  try {
    return new CKelVarBind(name, text);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CKelVarBind* NewIntField(const char* name, long long value) {
  CKelAtom* atom = new (std::nothrow) CKelAtom(value);
  if (atom == nullptr) return nullptr;
  try {
    return new CKelVarBind(name, atom);
  } catch (const std::bad_alloc&) {
    delete atom;
    return nullptr;
  }
}

CKelDoubleList* NewRecord() { return new (std::nothrow) CKelDoubleList(); }

bool Append(CKelDoubleList* record, CKelVarBind* field) {
  if (field == nullptr) return false;
  int status;
  try {
    status = record->KDLAddToListEnd(field);
  } catch (const std::bad_alloc&) {
    status = KEL_ERR_NULL_ARG;
  }
  if (status != KEL_OK) {
    delete field;
    return false;
  }
  return true;
}

int LocalScopeClass(int scope) {
  if (scope == kLinkLocal) return 1;
  return RemoteScopeClass(scope);
}

int RemoteScopeClass(int scope) {
  switch (scope) {
    case kSiteLocal:
      return 2;
    case kV4Compat:
      return 0;
    case kGlobal:
    case kUnknown:
      return 3;
    default:
      return -1;
  }
}

CKelVarBind* FieldOf(CKelListable* element) {
  return element != nullptr && element->KLKind() == E_KLKVarBind
             ? static_cast<CKelVarBind*>(element)
             : nullptr;
}

void DeleteRemoteNbrTree(CKelTreeList* tree) {
  if (tree == nullptr) return;
  // The records first: deleting the wrappers empties the iteration list.
  if (CKelDoubleList* all = tree->KTLIterator()) {
    for (CKelListable* e = all->KDLHead(); e != nullptr; e = all->KDLGetNext(e)) {
      delete static_cast<CKelDoubleList*>(static_cast<CKelPointer*>(e)->KPData());
    }
  }
  tree->KTLDeleteWrappers();
  delete tree;
}

}  // namespace nbr
