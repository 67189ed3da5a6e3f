// Hand-made runs for the tests of the relationship step and the report
// writers: NE records and processed data built field by field, and a
// CRunReport pointing at them.
#ifndef TESTS_UNIT_ENGINE_RUNFIXTURES_H_
#define TESTS_UNIT_ENGINE_RUNFIXTURES_H_

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/Relationships.h"
#include "engine/RunReport.h"
#include "host/CKelAtom.h"
#include "host/CKelVarBind.h"

// A var-bind list; each field is (name, atom) and the atom is taken over
// (null: a field without value).
inline CKelDoubleList* Fields(std::vector<std::pair<const char*, CKelAtom*>> fields) {
  auto* list = new CKelDoubleList();
  for (auto& [name, atom] : fields) list->KDLAddToListEnd(new CKelVarBind(name, atom));
  return list;
}
inline CKelAtom* Int(long long v) { return new CKelAtom(v); }
inline CKelAtom* Str(const char* v) { return new CKelAtom(v); }

// A local neighbour with interface index and address (either may be left
// out with -1 / null).
inline CKelDoubleList* Local(long long ifIndex, const char* address, const char* descr = "eth") {
  std::vector<std::pair<const char*, CKelAtom*>> f;
  if (ifIndex >= 0) f.push_back({"ipv6IfIndex", Int(ifIndex)});
  f.push_back({"ipv6IfDescr", Str(descr)});
  if (address != nullptr) {
    f.push_back({"ipv6AddrAddress", Str(address)});
    f.push_back({"ipv6AddrPfxLength", Int(64)});
  }
  return Fields(f);
}
inline CKelDoubleList* Remote(const char* address) {
  return Fields({{"m_RemoteNbrIpAddr", Str(address)}, {"m_RemoteNbrIpPfxLength", Int(64)}});
}

// Owns what a CRunReport points at.
class FakeRun {
 public:
  // Adds an NE; `uniqueAddress` may be null (no such field).
  size_t AddNe(const std::string& input, const char* uniqueAddress, bool processed = true,
               const char* name = nullptr) {
    auto record = std::make_unique<CKelRecord>();
    if (uniqueAddress != nullptr) record->KRAddOrSetValue("m_UniqueAddress", uniqueAddress);
    if (name != nullptr) record->KRAddOrSetValue("m_Name", name);
    CRunNe ne;
    ne.input = input;
    ne.processed = processed;
    ne.record = record.get();
    m_Records.push_back(std::move(record));
    report.nes.push_back(ne);
    return report.nes.size() - 1;
  }
  CKelRecord* Record(size_t ne) { return m_Records[ne].get(); }

  // Adds a local neighbour (taken over) with its remote neighbours to NE `ne`.
  void AddLocal(size_t ne, CKelDoubleList* local, std::vector<CKelDoubleList*> remotes = {}) {
    if (report.nes[ne].proc == nullptr) {
      m_Procs.push_back(std::make_unique<CDiscoProcessedData>());
      report.nes[ne].proc = m_Procs.back().get();
    }
    auto* proc = const_cast<CDiscoProcessedData*>(report.nes[ne].proc);
    for (CKelDoubleList* remote : remotes) proc->DPDAddRemoteNbr(local, remote);
    proc->DPDAddLocalNbr(local);
  }

  // A resolver answering from `names` and noting each name in `resolved`.
  DENameResolver Resolver() {
    return [this](const std::string& name) {
      resolved.push_back(name);
      auto it = names.find(name);
      return it == names.end() ? std::vector<std::string>() : it->second;
    };
  }

  // Runs the relationship step into report.links.
  void Link() { report.links = DEBuildLinks(report.nes, DEIndexOwners(report.nes, Resolver())); }

  CRunReport report;
  std::map<std::string, std::vector<std::string>> names;  // the fake resolver's answers
  std::vector<std::string> resolved;                       // names it was asked, in order

 private:
  std::vector<std::unique_ptr<CKelRecord>> m_Records;
  std::vector<std::unique_ptr<CDiscoProcessedData>> m_Procs;
};

#endif  // TESTS_UNIT_ENGINE_RUNFIXTURES_H_
