// The per-NE store of neighbour records that the process layer hands over.
// Used by one thread at a time.
//
// A remote neighbour is filed under a local neighbour record that is then
// given to DPDAddLocalNbr. The store takes over every list it is given and
// deletes them with itself (remote neighbours filed under a local neighbour
// that never arrives included).
#ifndef HOST_CDISCOPROCESSEDDATA_H_
#define HOST_CDISCOPROCESSEDDATA_H_

#include <map>
#include <vector>

#include "host/CKelDoubleList.h"
#include "host/KelPointerSet.h"

class CDiscoProcessedData {
 public:
  CDiscoProcessedData() = default;
  CDiscoProcessedData(const CDiscoProcessedData&) = delete;
  CDiscoProcessedData& operator=(const CDiscoProcessedData&) = delete;
  ~CDiscoProcessedData();

  // Files `remoteNbr` (taken over) under `localNbr`, which need not have
  // been added yet. Returns 1, KEL_ERR_NULL_ARG, KEL_ERR_DUPLICATE when the
  // store already holds `remoteNbr`, or KEL_ERR_NO_MEMORY (nothing taken on
  // failure).
  int DPDAddRemoteNbr(CKelDoubleList* localNbr, CKelDoubleList* remoteNbr);
  // Adds `localNbr` (taken over) with every remote neighbour filed under it.
  // Returns 1, KEL_ERR_NULL_ARG, KEL_ERR_DUPLICATE when the store already
  // holds `localNbr`, or KEL_ERR_NO_MEMORY (nothing taken on failure).
  int DPDAddLocalNbr(CKelDoubleList* localNbr);

  struct LocalNbr {
    CKelDoubleList* fields;                // CKelVarBind fields
    std::vector<CKelDoubleList*> remotes;  // in the order they were filed
  };
  // The local neighbours in the order they were added; owned by the store.
  const std::vector<LocalNbr>& DPDLocalNbrs() const { return m_Local; }

 private:
  std::vector<LocalNbr> m_Local;
  std::map<const CKelDoubleList*, size_t> m_LocalIndex;  // position in m_Local
  std::map<const CKelDoubleList*, std::vector<CKelDoubleList*>> m_Pending;
  KelPointerSet m_Owned;  // every list taken over
};

#endif  // HOST_CDISCOPROCESSEDDATA_H_
