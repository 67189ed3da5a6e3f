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

int CDiscoProcessedData::DPDAddRemoteNbr(CKelDoubleList* localNbr, CKelDoubleList* remoteNbr) {
  if (localNbr == nullptr || remoteNbr == nullptr) return KEL_ERR_NULL_ARG;
  if (remoteNbr == localNbr || !m_Owned.Insert(remoteNbr)) return KEL_ERR_DUPLICATE;
  // A local neighbour already added takes the remote neighbour at once;
  // otherwise it waits until its local neighbour arrives.
  auto added = m_LocalIndex.find(localNbr);
  if (added != m_LocalIndex.end()) {
    m_Local[added->second].remotes.push_back(remoteNbr);
  } else {
    m_Pending[localNbr].push_back(remoteNbr);
  }
  return KEL_OK;
}

int CDiscoProcessedData::DPDAddLocalNbr(CKelDoubleList* localNbr) {
  if (localNbr == nullptr) return KEL_ERR_NULL_ARG;
  if (!m_Owned.Insert(localNbr)) return KEL_ERR_DUPLICATE;
  m_LocalIndex.emplace(localNbr, m_Local.size());
  LocalNbr local{localNbr, {}};
  auto pending = m_Pending.find(localNbr);
  if (pending != m_Pending.end()) {
    local.remotes = std::move(pending->second);
    m_Pending.erase(pending);
  }
  m_Local.push_back(std::move(local));
  return KEL_OK;
}
