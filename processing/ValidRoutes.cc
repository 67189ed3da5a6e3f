// Which routes of the routing table lead to remote neighbours, and a tree
// of integer values keyed by row index.
#include <cstdlib>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/CKelString.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "mediation/ColumnRows.h"

namespace {

const char* Shown(const char* text) { return text != nullptr ? text : ""; }

// The row index of a column element as dotted text (malloc'ed), or null.
char* IndexText(CKelListable* element) {
  CKelASN1Address* index = ColumnRowIndex(element);
  return index != nullptr ? index->KAAAddressPrint() : nullptr;
}

}  // namespace

// Fills `validIndexes` (route index text -> a new var bind named with the
// next hop text and without value, owned by whoever deletes the tree) with
// the valid routes whose next hop is a valid address and not one of the
// NE's own (`localIPs`, which may be null). Returns the last status met.
int CDiscoIPv6Agent::DIPv6DetermineValidRemoteNeighbours(int inValidRoute,
                                                         CKelDoubleList* validList,
                                                         CKelTreeList* nextHopTL,
                                                         CKelTreeList* localIPs,
                                                         CKelTreeList* validIndexes) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6DetermineValidRemoteNeighbours()\n", 4);
  genXPLTrace(
      "-- CDiscoIPv6Agent::DIPv6DetermineValidRemoteNeighbours(), finding which connection valid "
      "from type\n",
      4);
  int status = 1;
  if (validIndexes == nullptr) {
    // Nowhere to put a valid route: nothing can be decided.
    CKelError(-220552, __FILE__, __LINE__);
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6DetermineValidRemoteNeighbours()\n", 4);
    return -220552;
  }
  for (CKelListable* e = validList != nullptr ? validList->KDLHead() : nullptr; e != nullptr;
       e = validList->KDLGetNext(e)) {
    const CKelAtom* value = ColumnRow(e) != nullptr ? ColumnRow(e)->KSVOValue() : nullptr;
    const long long validity = value != nullptr ? value->KAInt64() : inValidRoute;
    if (validity == inValidRoute) {
      if (char* indexText = IndexText(e)) {
        genXPLTracef(4, "Invalid route : %s\n", indexText);
        free(indexText);
      }
      CKelError(-220439, __FILE__, __LINE__, "skip invalid route index");
      continue;
    }
    char* indexText = IndexText(e);
    if (indexText == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "valid route index null");
      continue;
    }
    CKelPointer* entry = nextHopTL != nullptr ? nextHopTL->KTLGet(indexText) : nullptr;
    if (entry == nullptr) {
      status = -220439;
      CKelString message("WARNING: valid asn1 and next hop asn1 inconsistant");
      message.KSStrCat(indexText);
      CKelError(-220439, __FILE__, __LINE__, message.KSString());
      genXPLTracef(4,
                   "WARNING: CDiscoIPv6Agent::DIPv6DetermineValidRemoteNeighbours(): Could not "
                   "find entry in next hop tree list on key %s This is inconsistent. Possible "
                   "Dynamic routing table? \n",
                   indexText);
      free(indexText);
      continue;
    }
    const char* nextHop = static_cast<const char*>(entry->KPData());
    if (nextHop == nullptr) CKelError(-220439, __FILE__, __LINE__, "next hop ip address null");
    if (DIPv6IsIpValid(nextHop, 1) != E_KBTrue) {
      genXPLTracef(4, "Next hop is an invalid ipv6 address[%s]\n", Shown(nextHop));
      CKelError(-220439, __FILE__, __LINE__, "invalid ip address");
    } else {
      genXPLTracef(4,
                   "DIPv6DetermineValidRemoteNeighbours() checking if remote address %s is present "
                   "in the local neighbour table...",
                   nextHop);
      if (localIPs != nullptr && localIPs->KTLGet(nextHop) != nullptr) {
        genXPLTracef(4, " Next hop is a local ipv6 address[%s]\n", nextHop);
      } else {
        genXPLTracef(4, "Next hop is a remote ipv6 address[%s]\n", nextHop);
        CKelVarBind* dest = KelNew<CKelVarBind>(nextHop, nullptr);
        if (dest == nullptr) CKelError(-220553, __FILE__, __LINE__);
        if (dest != nullptr) {
          const int added = validIndexes->KTLAdd(indexText, static_cast<void*>(dest));
          if (added != 1) {
            status = added;
            CKelError(added, __FILE__, __LINE__);
            delete dest;  // the tree did not take it
          }
        }
      }
    }
    free(indexText);
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6DetermineValidRemoteNeighbours()\n", 4);
  return status;
}

// A tree (made with `allowMultipleEntries`) of the var-ops of `dList`:
// key the row index text, value a new CKelPointer wrapping a new integer
// atom of the var-op's value (0 without value). The caller owns the tree,
// the pointers and the atoms. Null for a null or empty list.
CKelTreeList* CDiscoIPv6Agent::DIPv6BuildTreeListFromDoubleList(CKelDoubleList* dList,
                                                                __boolean allowMultipleEntries) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6BuildTreeListOnDoubleList()\n", 4);
  CKelTreeList* tree = nullptr;
  for (CKelListable* e = dList != nullptr ? dList->KDLHead() : nullptr; e != nullptr;
       e = dList->KDLGetNext(e)) {
    char* key = IndexText(e);
    if (key == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
      continue;
    }
    const CKelAtom* value = ColumnRow(e)->KSVOValue();
    CKelAtom* number = KelNew<CKelAtom>(value != nullptr ? value->KAInt64() : 0LL);
    CKelPointer* wrapper = number != nullptr ? new (std::nothrow) CKelPointer(number) : nullptr;
    if (wrapper == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
      delete number;
      free(key);
      continue;
    }
    if (tree == nullptr) {
      tree = new (std::nothrow) CKelTreeList(allowMultipleEntries);
      if (tree == nullptr) {
        CKelError(-220553, __FILE__, __LINE__);
        delete wrapper;
        delete number;
        free(key);
        break;
      }
    }
    const int status = tree->KTLAdd(key, wrapper);
    if (status != 1) {
      delete wrapper;
      delete number;  // nothing else would ever free it
      CKelError(status, __FILE__, __LINE__);
    }
    free(key);
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6BuildTreeListOnDoubleList()\n", 4);
  return tree;
}
