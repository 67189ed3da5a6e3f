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

CKelVarBind* NewCopyField(const char* name, const CKelAtom* value) { return KelNew<CKelVarBind>(name, value); }

CKelVarBind* NewTextField(const char* name, char* text) {
  CKelVarBind* field = KelNew<CKelVarBind>(name, text);
  if (field == nullptr) free(text);  // the var bind never took it
  return field;
}

CKelVarBind* NewCopiedTextField(const char* name, const char* text) { return KelNew<CKelVarBind>(name, text); }

CKelVarBind* NewIntField(const char* name, long long value) {
  CKelAtom* atom = KelNew<CKelAtom>(value);
  if (atom == nullptr) return nullptr;
  CKelVarBind* field = KelNew<CKelVarBind>(name, atom);
  if (field == nullptr) delete atom;  // the var bind never took it
  return field;
}

CKelDoubleList* NewRecord() { return new (std::nothrow) CKelDoubleList(); }

bool Append(CKelDoubleList* record, CKelVarBind* field) {
  if (field == nullptr) return false;
  if (record->KDLAddToListEnd(field) != KEL_OK) {
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
  tree->KTLForEach([](CKelPointer* wrapper) { delete static_cast<CKelDoubleList*>(wrapper->KPData()); });
  tree->KTLDeleteWrappers();
  delete tree;
}

}  // namespace nbr
