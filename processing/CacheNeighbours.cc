// Remote neighbours from the neighbour cache (ipv6NetToMediaTable): every
// cached address that is not one of the NE's own and has a kept scope
// either lends its link-layer address ("m_RemoteNbrMacAddr") to the
// records the routing table made for the same address on the same
// interface, or becomes a record of its own ("m_RemoteNbrIpAddr",
// "m_RemoteNbrIpPfxLength", "m_RemoteNbrIpScope", "m_RemoteNbrMacAddr" and,
// when the address has a name, "m_RemoteNbrIpDNSName").
//
// Ownership: the records of the tree passed in stay in it (some gain a
// field); the caller owns the returned tree, its wrappers and its records.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "mediation/ColumnRows.h"
#include "processing/NbrLookup.h"
#include "processing/NbrRecords.h"

namespace {

const char kAddressField[] = "m_RemoteNbrIpAddr";
const char kMacField[] = "m_RemoteNbrMacAddr";

// The remote neighbour records of one interface by the normalised text of
// their "m_RemoteNbrIpAddr" fields, so that each cache entry finds the
// records it merges into without normalising every field of every record
// of its interface. A record appears once per matching field, in tree
// order, as a walk of the interface's records would meet it.
//
// An interface whose tree entries include a wrapper without record is
// merged by walking (the walk reports those entries on every pass).
class MergeIndex {
 public:
  // `tree` points to the tree variable, which may be null now and set later.
  MergeIndex(CDiscoIPv6Agent* agent, CKelTreeList* const* tree) : m_Agent(agent), m_Tree(tree) {}

  // Appends the link-layer field to every record of interface `ifIndex`
  // holding address `normalised`. True when one did.
  bool Merge(long long ifIndex, const char* normalised, const CKelAtom* mac);
  // Notes a record just added to the tree under `ifIndex`.
  void Added(long long ifIndex, CKelDoubleList* record);

 private:
  struct Interface {
    bool indexed = false;  // false: merge by walking
    std::unordered_map<std::string, std::vector<CKelDoubleList*>> byAddress;
  };
  Interface& Build(long long ifIndex);
  void Note(Interface* entry, CKelDoubleList* record);
  bool Walk(long long ifIndex, const char* normalised, const CKelAtom* mac);

  CDiscoIPv6Agent* m_Agent;
  CKelTreeList* const* m_Tree;
  std::unordered_map<long long, Interface> m_Interfaces;
};

// Appends the link-layer field to `record`; reports a field that cannot be
// made.
void AppendMac(CKelDoubleList* record, const CKelAtom* mac) {
  if (!nbr::Append(record, nbr::NewCopyField(kMacField, mac)))
    CKelError(-220553, __FILE__, __LINE__);
}

void MergeIndex::Note(Interface* entry, CKelDoubleList* record) {
  for (CKelListable* f = record->KDLHead(); f != nullptr; f = record->KDLGetNext(f)) {
    CKelVarBind* field = nbr::FieldOf(f);
    if (field == nullptr || strcmp(field->KVBNameText(), kAddressField) != 0) continue;
    char* value = field->KVBValAsString();
    char* normalised = value != nullptr ? m_Agent->DIPv6Normalization(value, 2) : nullptr;
    if (normalised != nullptr) entry->byAddress[normalised].push_back(record);
    free(normalised);
    free(value);
  }
}

MergeIndex::Interface& MergeIndex::Build(long long ifIndex) {
  auto found = m_Interfaces.find(ifIndex);
  if (found != m_Interfaces.end()) return found->second;
  Interface& entry = m_Interfaces[ifIndex];
  entry.indexed = NbrLookup::Indexing();
  if (!entry.indexed) return entry;
  CKelDoubleList* wrappers = *m_Tree != nullptr ? (*m_Tree)->KTLGetMultiple(ifIndex) : nullptr;
  for (CKelListable* w = wrappers != nullptr ? wrappers->KDLHead() : nullptr; w != nullptr;
       w = wrappers->KDLGetNext(w)) {
    auto* record = static_cast<CKelDoubleList*>(static_cast<CKelPointer*>(w)->KPData());
    if (record == nullptr) {
      entry.indexed = false;
      entry.byAddress.clear();
      break;
    }
    Note(&entry, record);
  }
  if (wrappers != nullptr) {
    wrappers->KDLSetHead(nullptr);  // the wrappers are the tree's
    delete wrappers;
  }
  return entry;
}

void MergeIndex::Added(long long ifIndex, CKelDoubleList* record) {
  auto found = m_Interfaces.find(ifIndex);
  // An interface not indexed yet finds the record in the tree when it is.
  if (found != m_Interfaces.end() && found->second.indexed) Note(&found->second, record);
}

bool MergeIndex::Merge(long long ifIndex, const char* normalised, const CKelAtom* mac) {
  Interface& entry = Build(ifIndex);
  if (!entry.indexed) return Walk(ifIndex, normalised, mac);
  auto found = entry.byAddress.find(normalised);
  if (found == entry.byAddress.end()) return false;
  for (CKelDoubleList* record : found->second) AppendMac(record, mac);
  return true;
}

bool MergeIndex::Walk(long long ifIndex, const char* normalised, const CKelAtom* mac) {
  CKelDoubleList* wrappers = *m_Tree != nullptr ? (*m_Tree)->KTLGetMultiple(ifIndex) : nullptr;
  if (wrappers == nullptr) return false;
  bool merged = false;
  for (CKelListable* w = wrappers->KDLHead(); w != nullptr; w = wrappers->KDLGetNext(w)) {
    auto* wrapper = static_cast<CKelPointer*>(w);
    auto* record = wrapper != nullptr ? static_cast<CKelDoubleList*>(wrapper->KPData()) : nullptr;
    if (wrapper == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, " remote nbr ptr is null so dont add to procData");
      continue;
    }
    if (record == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, " remote nbr DL ptr is null so dont add to procData");
      continue;
    }
    // The walk goes on after a match, over the field just appended too
    // (whose name never matches).
    for (CKelListable* f = record->KDLHead(); f != nullptr; f = record->KDLGetNext(f)) {
      CKelVarBind* field = nbr::FieldOf(f);
      if (field == nullptr) continue;
      char* name = field->KVBName()->KAStrRep();
      char* value = field->KVBValAsString();
      char* valueNormalised = value != nullptr ? m_Agent->DIPv6Normalization(value, 2) : nullptr;
      if (name != nullptr && strcmp(name, kAddressField) == 0 && valueNormalised != nullptr &&
          strcmp(valueNormalised, normalised) == 0) {
        AppendMac(record, mac);
        merged = true;
      }
      free(valueNormalised);
      free(value);
      free(name);
    }
  }
  wrappers->KDLSetHead(nullptr);  // the wrappers are the tree's
  delete wrappers;
  return merged;
}

}  // namespace

CKelTreeList* CDiscoIPv6Agent::DIPv6GetRemoteNbrFromNetToMediaTable(CDiscoMediationData* medData,
                                                                    CKelTreeList* remoteNbrTags) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetRemoteNbrFromNetToMediaTable()\n", 4);
  if (medData == nullptr) {
    CKelError(-220439, __FILE__, __LINE__,
              "no mediation data so leaving DIPv6GetRemoteNbrFromNetToMediaTable()");
    // The tree passed in is the caller's to delete, not lost here.
    return remoteNbrTags;
  }
  CKelDoubleList* states = medData->DMDGetSnmpGetNext("ipv6IfNetToMediaState");
  CKelDoubleList* valids = medData->DMDGetSnmpGetNext("ipv6NetToMediaValid");
  CKelDoubleList* physAddrs = medData->DMDGetSnmpGetNext("ipv6NetToMediaPhysAddress");
  if (states == nullptr || valids == nullptr || physAddrs == nullptr) {
    CKelError(-220439, __FILE__, __LINE__,
              "screwed: one of stateList,validList or physAddrList is null");
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetRemoteNbrFromNetToMediaTable()\n", 4);
    return remoteNbrTags;
  }
  auto* ownAddresses = static_cast<CKelTreeList*>(medData->DMDGetDataPtr("m_IpDataList"));
  NbrLookup lookup(this, medData);
  CKelTreeList* tree = remoteNbrTags;
  MergeIndex merges(this, &tree);

  for (CKelListable* e = physAddrs->KDLHead(); e != nullptr; e = physAddrs->KDLGetNext(e)) {
    CKelASN1Address* index = ColumnRowIndex(e);
    if (index == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "index ASN1 address is null, ignored");
      continue;
    }
    const CKelAtom* mac = ColumnRow(e)->KSVOValue();
    if (mac == nullptr) CKelError(-220439, __FILE__, __LINE__, "physical address is null");
    char* addressText = DIPv6GetPartOfASN(index, 1, 16);
    if (addressText == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "IP address is null");
      continue;
    }
    if (ownAddresses != nullptr && ownAddresses->KTLGet(addressText) != nullptr) {
      genXPLTracef(4, "%s is not consider as a remote neighbour!\n", addressText);
      free(addressText);
      continue;
    }
    char* normalised = DIPv6Normalization(addressText, 1);
    free(addressText);
    if (normalised == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
      continue;
    }
    const int scopeClass = nbr::RemoteScopeClass(DIPv6GetAddrScope(normalised));
    if (scopeClass < 0) {
      free(normalised);
      continue;
    }
    const long long ifIndex = index->KAAAddressAt(0);
    if (merges.Merge(ifIndex, normalised, mac)) {
      free(normalised);
      continue;
    }

    // A record of the cache entry alone.
    CKelDoubleList* record = nbr::NewRecord();
    if (record == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
      free(normalised);
      continue;
    }
    bool whole =
        nbr::Append(record, nbr::NewTextField(kAddressField, DIPv6ShortFormat(normalised)));
    whole = nbr::Append(record, nbr::NewIntField("m_RemoteNbrIpPfxLength",
                                                 lookup.PfxLengthFor(normalised))) &&
            whole;
    whole = nbr::Append(record, nbr::NewIntField("m_RemoteNbrIpScope", scopeClass)) && whole;
    whole = nbr::Append(record, nbr::NewCopyField(kMacField, mac)) && whole;
    if (!whole) CKelError(-220553, __FILE__, __LINE__);
    if (char* name = DIPv6GetNodename(normalised)) {
      if (!nbr::Append(record, nbr::NewTextField("m_RemoteNbrIpDNSName", name))) {
        CKelError(-220553, __FILE__, __LINE__);
      }
    }
    free(normalised);

    if (tree == nullptr && (tree = new (std::nothrow) CKelTreeList(E_KBTrue)) == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
      delete record;
      continue;
    }
    const int status = tree->KTLAdd(ifIndex, static_cast<void*>(record));
    if (status != 1) {
      CKelError(status, __FILE__, __LINE__);
      delete record;
      continue;
    }
    merges.Added(ifIndex, record);
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetRemoteNbrFromNetToMediaTable()\n", 4);
  return tree;
}
