// The per-NE store of SNMP replies, filled by the mediation layer and read
// by the process layer. Used by one thread at a time (the NE's worker).
//
// Ownership: the store takes over every reply it is given and deletes them
// with itself; data pointers are only held, never deleted.
#ifndef HOST_CDISCOMEDIATIONDATA_H_
#define HOST_CDISCOMEDIATIONDATA_H_

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/CKelAtom.h"
#include "host/CKelDoubleList.h"
#include "host/CKelSnmpVarOp.h"

class CDiscoMediationData {
 public:
  CDiscoMediationData() = default;
  CDiscoMediationData(const CDiscoMediationData&) = delete;
  CDiscoMediationData& operator=(const CDiscoMediationData&) = delete;
  ~CDiscoMediationData();

  // Stores a GET reply or a walked column (list of CKelSnmpVarOp, one per
  // row, in walk order) under `key`, replacing (and deleting) an earlier one.
  // Returns 1, or KEL_ERR_NULL_ARG (the reply stays with the caller).
  int DMDAddSnmp(const char* key, CKelSnmpVarOp* reply);
  int DMDAddSnmp(const char* key, CKelDoubleList* column);

  // The stored reply or column, owned by the store; null when absent.
  CKelSnmpVarOp* DMDGetSnmpGet(const char* key) const;
  CKelDoubleList* DMDGetSnmpGetNext(const char* key) const;

  // The value atom of the first row of column `key` whose row index is the
  // single sub-identifier equal to the integer of `indexAtom`; null when
  // there is none. Owned by the store. O(1): columns are indexed on entry.
  CKelAtom* DMDGetSnmpByIndex(const CKelAtom* indexAtom, const char* key) const;

  // Agent-owned data parked beside the replies. Add returns 1, or
  // KEL_ERR_NULL_ARG / KEL_ERR_DUPLICATE; Get gives null when absent;
  // Remove returns the pointer (null when absent) and forgets it.
  int DMDAddDataPtr(const char* key, void* data);
  void* DMDGetDataPtr(const char* key) const;
  void* DMDRemoveDataPtr(const char* key);

  // Stored keys in name order, for reports and tests.
  std::vector<std::string> DMDGetKeys() const;
  std::vector<std::string> DMDColumnKeys() const;

 private:
  struct Column {
    CKelDoubleList* rows;
    std::unordered_map<uint32_t, CKelAtom*> byIndex;
  };
  std::map<std::string, CKelSnmpVarOp*> m_Gets;
  std::map<std::string, Column> m_Columns;
  std::map<std::string, void*> m_Data;
};

#endif  // HOST_CDISCOMEDIATIONDATA_H_
