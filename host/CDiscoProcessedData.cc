// The per-NE store of neighbour records.
#include "host/CDiscoProcessedData.h"

#include "host/KelTypes.h"

CDiscoProcessedData::~CDiscoProcessedData() {
  for (LocalNbr& local : m_Local) {
    for (CKelDoubleList* remote : local.remotes) delete remote;
    delete local.fields;
  }
  for (auto& entry : m_Pending) {
    for (CKelDoubleList* remote : entry.second) delete remote;
  }
}

// Both take their list only once every allocation they need is made, so that
// a failed one leaves the store as it was.
int CDiscoProcessedData::DPDAddRemoteNbr(CKelDoubleList* localNbr, CKelDoubleList* remoteNbr) {
  if (localNbr == nullptr || remoteNbr == nullptr) return KEL_ERR_NULL_ARG;
  if (remoteNbr == localNbr || m_Owned.Contains(remoteNbr)) return KEL_ERR_DUPLICATE;
  // A local neighbour already added takes the remote neighbour at once;
  // otherwise it waits until its local neighbour arrives.
  std::vector<CKelDoubleList*>* remotes;
  try {
    auto added = m_LocalIndex.find(localNbr);
    remotes = added != m_LocalIndex.end() ? &m_Local[added->second].remotes : &m_Pending[localNbr];
    remotes->reserve(remotes->size() + 1);
    m_Owned.ReserveOne();
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;  // an empty pending entry may stay: it holds nothing
  }
  m_Owned.Insert(remoteNbr);
  remotes->push_back(remoteNbr);
  return KEL_OK;
}

int CDiscoProcessedData::DPDAddLocalNbr(CKelDoubleList* localNbr) {
  if (localNbr == nullptr) return KEL_ERR_NULL_ARG;
  if (m_Owned.Contains(localNbr)) return KEL_ERR_DUPLICATE;
  try {
    m_Local.reserve(m_Local.size() + 1);
    m_Owned.ReserveOne();
    m_LocalIndex.emplace(localNbr, m_Local.size());
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
  m_Owned.Insert(localNbr);
  LocalNbr local{localNbr, {}};
  auto pending = m_Pending.find(localNbr);
  if (pending != m_Pending.end()) {
    local.remotes = std::move(pending->second);
    m_Pending.erase(pending);
  }
  m_Local.push_back(std::move(local));
  return KEL_OK;
}
