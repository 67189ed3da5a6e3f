// Hand-made runs for the relationship step and the reports: records, processed data and a CRunReport.
#ifndef TESTS_UNIT_ENGINE_RUNFIXTURES_H_
#define TESTS_UNIT_ENGINE_RUNFIXTURES_H_

#include <map>
#include <memory>

#include "engine/Relationships.h"
#include "host/CKelVarBind.h"

using FieldList = std::vector<std::pair<const char*, CKelAtom*>>;  // atoms taken over; null: no value
inline CKelAtom* Int(long long v) { return new CKelAtom(v); }
inline CKelAtom* Str(const char* v) { return new CKelAtom(v); }
inline CKelDoubleList* Fields(const FieldList& fields) {
  auto* list = new CKelDoubleList();
  for (auto& [name, atom] : fields) list->KDLAddToListEnd(new CKelVarBind(name, atom));
  return list;
}
inline CKelDoubleList* Local(long long ifIndex, const char* address) {  // a local neighbour; -1: no index
  FieldList f{{"ipv6AddrAddress", Str(address)}, {"ipv6AddrPfxLength", Int(64)}};
  if (ifIndex >= 0) f.push_back({"ipv6IfIndex", Int(ifIndex)});
  return Fields(f);
}
inline CKelDoubleList* Remote(const char* address) { return Fields({{"m_RemoteNbrIpAddr", Str(address)}}); }

// Owns what its report points at; `names` answers the relationship step's resolver.
struct FakeRun {
  void AddNe(const std::string& input, const char* unique, bool processed = true, const char* name = {}) {
    CKelRecord* record = records.emplace_back(new CKelRecord()).get();
    if (unique != nullptr) record->KRAddOrSetValue("m_UniqueAddress", unique);
    if (name != nullptr) record->KRAddOrSetValue("m_Name", name);
    CRunNe& ne = report.nes.emplace_back();
    ne.input = input, ne.processed = processed, ne.record = record;
  }
  void AddLocal(size_t ne, CKelDoubleList* local, std::vector<CKelDoubleList*> remotes = {}) {  // taken over
    if (!report.nes[ne].proc) report.nes[ne].proc = procs.emplace_back(new CDiscoProcessedData).get();
    auto* proc = const_cast<CDiscoProcessedData*>(report.nes[ne].proc);
    for (CKelDoubleList* remote : remotes) proc->DPDAddRemoteNbr(local, remote);
    proc->DPDAddLocalNbr(local);
  }
  void Link() { report.links = DEBuildLinks(report.nes, DEIndexOwners(report.nes, resolver)); }

  CRunReport report;
  std::map<std::string, std::vector<std::string>> names;
  std::vector<std::string> resolved;  // names the resolver was asked, in order
  DENameResolver resolver = [this](const std::string& name) { return resolved.push_back(name), names[name]; };
  std::vector<std::unique_ptr<CKelRecord>> records;
  std::vector<std::unique_ptr<CDiscoProcessedData>> procs;
};

#endif  // TESTS_UNIT_ENGINE_RUNFIXTURES_H_
