// Reading the rows of a walked column kept in the mediation data.
#ifndef MEDIATION_COLUMNROWS_H_
#define MEDIATION_COLUMNROWS_H_

#include "host/CKelAtom.h"
#include "host/CKelListable.h"
#include "host/CKelSnmpVarOp.h"

// The row held by a column element, or null when the element is not a
// var-op (a column holds nothing else unless the device or requester
// misbehaved; such an element is passed over like a row without index).
inline CKelSnmpVarOp* ColumnRow(CKelListable* element) {
  return element != nullptr && element->KLKind() == E_KLKSnmpVarOp
             ? static_cast<CKelSnmpVarOp*>(element)
             : nullptr;
}

// The row index of a column element, or null.
inline CKelASN1Address* ColumnRowIndex(CKelListable* element) {
  CKelSnmpVarOp* row = ColumnRow(element);
  return row != nullptr ? row->KSVOASN1() : nullptr;
}

// The prefix length held by an ipv6AddrPfxLength value, or -1 when the
// value is not an integer from 0 to 128: such a length names no prefix (a
// text or an out-of-range number would otherwise pass for a length that
// matches far too much).
inline int AddrPrefixLength(const CKelAtom* value) {
  if (value == nullptr || value->KAType() != E_KDTInteger) return -1;
  const long long length = value->KAInt64();
  return length >= 0 && length <= 128 ? static_cast<int>(length) : -1;
}

#endif  // MEDIATION_COLUMNROWS_H_
