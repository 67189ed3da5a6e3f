// One SNMP reply: the row index (instance part of the object identifier)
// and the value. Takes over both; either may be null. Read-only use is
// safe from many threads.
#ifndef HOST_CKELSNMPVAROP_H_
#define HOST_CKELSNMPVAROP_H_

#include "host/CKelASN1Address.h"
#include "host/CKelAtom.h"
#include "host/CKelListable.h"

class CKelSnmpVarOp : public CKelListable {
 public:
  CKelSnmpVarOp(CKelASN1Address* index, CKelAtom* value) : m_Index(index), m_Value(value) {}
  CKelSnmpVarOp(const CKelSnmpVarOp& other);  // deep copy
  CKelSnmpVarOp& operator=(const CKelSnmpVarOp&) = delete;
  ~CKelSnmpVarOp() override;

  // The row index, owned by the var-op; may be null.
  CKelASN1Address* KSVOASN1() const { return m_Index; }
  // The value, owned by the var-op; may be null.
  CKelAtom* KSVOValue() const { return m_Value; }

  CKelListable* KLClone() const override;
  EKelListableKind KLKind() const override { return E_KLKSnmpVarOp; }

 private:
  CKelASN1Address* m_Index;
  CKelAtom* m_Value;
};

#endif  // HOST_CKELSNMPVAROP_H_
