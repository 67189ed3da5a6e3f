// A listable that wraps a pointer it does not own: deleting the wrapper
// leaves the data alone, and a clone wraps the same data.
#ifndef HOST_CKELPOINTER_H_
#define HOST_CKELPOINTER_H_

#include "host/CKelListable.h"

class CKelPointer : public CKelListable {
 public:
  explicit CKelPointer(void* data) : m_Data(data) {}

  // The wrapped pointer (may be null). Thread-safe.
  void* KPData() const { return m_Data; }
  void KPSetData(void* data) { m_Data = data; }

  CKelListable* KLClone() const override;
  EKelListableKind KLKind() const override { return E_KLKPointer; }

 private:
  void* m_Data;
};

#endif  // HOST_CKELPOINTER_H_
