// Base of everything that a CKelDoubleList can hold.
#ifndef HOST_CKELLISTABLE_H_
#define HOST_CKELLISTABLE_H_

#include "host/KelAlloc.h"

enum EKelListableKind {
  E_KLKAtom,
  E_KLKVarBind,
  E_KLKRecord,
  E_KLKSnmpVarOp,
  E_KLKPointer,
};

class CKelListable {
 public:
  KEL_ALLOCATED_HERE
  virtual ~CKelListable() = default;

  // A new, independent deep copy owned by the caller (a CKelPointer copies
  // only its pointer; it never owns its data). Null when memory runs out.
  virtual CKelListable* KLClone() const = 0;

  virtual EKelListableKind KLKind() const = 0;

 protected:
  CKelListable() = default;
  CKelListable(const CKelListable&) = default;
  CKelListable& operator=(const CKelListable&) = default;
};

#endif  // HOST_CKELLISTABLE_H_
