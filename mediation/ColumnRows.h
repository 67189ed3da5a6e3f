// Reading the rows of a walked column kept in the mediation data.
#ifndef MEDIATION_COLUMNROWS_H_
#define MEDIATION_COLUMNROWS_H_

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

#endif  // MEDIATION_COLUMNROWS_H_
