// The per-NE store of SNMP replies.
#include "host/CDiscoMediationData.h"

#include <limits>

#include "host/KelTypes.h"

CDiscoMediationData::~CDiscoMediationData() {
  for (auto& entry : m_Gets) delete entry.second;
  for (auto& entry : m_Columns) delete entry.second.rows;
}

int CDiscoMediationData::DMDAddSnmp(const char* key, CKelSnmpVarOp* reply) {
  if (key == nullptr || reply == nullptr) return KEL_ERR_NULL_ARG;
  CKelSnmpVarOp*& slot = m_Gets[key];
  if (slot != reply) delete slot;  // storing the same reply twice keeps it
  slot = reply;
  return KEL_OK;
}

int CDiscoMediationData::DMDAddSnmp(const char* key, CKelDoubleList* column) {
  if (key == nullptr || column == nullptr) return KEL_ERR_NULL_ARG;
  Column& slot = m_Columns[key];
  if (slot.rows != column) delete slot.rows;
  slot.rows = column;
  slot.byIndex.clear();
  // Index the rows whose index is one sub-identifier (interface-indexed
  // columns) once, so that lookups by index cost O(1). The first row of an
  // index wins, as a walk from the head would find it.
  for (CKelListable* e = column->KDLHead(); e != nullptr; e = column->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKSnmpVarOp) continue;
    auto* row = static_cast<CKelSnmpVarOp*>(e);
    const CKelASN1Address* index = row->KSVOASN1();
    if (index == nullptr || index->KAADepth() != 1) continue;
    slot.byIndex.emplace(index->KAAAddressAt(0), row->KSVOValue());
  }
  return KEL_OK;
}

CKelSnmpVarOp* CDiscoMediationData::DMDGetSnmpGet(const char* key) const {
  if (key == nullptr) return nullptr;
  auto it = m_Gets.find(key);
  return it == m_Gets.end() ? nullptr : it->second;
}

CKelDoubleList* CDiscoMediationData::DMDGetSnmpGetNext(const char* key) const {
  if (key == nullptr) return nullptr;
  auto it = m_Columns.find(key);
  return it == m_Columns.end() ? nullptr : it->second.rows;
}

CKelAtom* CDiscoMediationData::DMDGetSnmpByIndex(const CKelAtom* indexAtom,
                                                  const char* key) const {
  if (indexAtom == nullptr || key == nullptr || indexAtom->KAType() != E_KDTInteger) {
    return nullptr;
  }
  const long long index = indexAtom->KAInt64();
  if (index < 0 || index > static_cast<long long>(std::numeric_limits<uint32_t>::max())) {
    return nullptr;  // no sub-identifier has this value
  }
  auto column = m_Columns.find(key);
  if (column == m_Columns.end()) return nullptr;
  auto row = column->second.byIndex.find(static_cast<uint32_t>(index));
  return row == column->second.byIndex.end() ? nullptr : row->second;
}

int CDiscoMediationData::DMDAddDataPtr(const char* key, void* data) {
  if (key == nullptr || data == nullptr) return KEL_ERR_NULL_ARG;
  if (!m_Data.emplace(key, data).second) return KEL_ERR_DUPLICATE;
  return KEL_OK;
}

void* CDiscoMediationData::DMDGetDataPtr(const char* key) const {
  if (key == nullptr) return nullptr;
  auto it = m_Data.find(key);
  return it == m_Data.end() ? nullptr : it->second;
}

void* CDiscoMediationData::DMDRemoveDataPtr(const char* key) {
  if (key == nullptr) return nullptr;
  auto it = m_Data.find(key);
  if (it == m_Data.end()) return nullptr;
  void* data = it->second;
  m_Data.erase(it);
  return data;
}

std::vector<std::string> CDiscoMediationData::DMDGetKeys() const {
  // Both maps are sorted: merge them.
  std::vector<std::string> keys;
  keys.reserve(m_Gets.size() + m_Columns.size());
  auto g = m_Gets.begin();
  auto c = m_Columns.begin();
  while (g != m_Gets.end() || c != m_Columns.end()) {
    if (c == m_Columns.end() || (g != m_Gets.end() && g->first < c->first)) {
      keys.push_back((g++)->first);
    } else {
      keys.push_back((c++)->first);
    }
  }
  return keys;
}

std::vector<std::string> CDiscoMediationData::DMDColumnKeys() const {
  std::vector<std::string> keys;
  keys.reserve(m_Columns.size());
  for (const auto& entry : m_Columns) keys.push_back(entry.first);
  return keys;
}
