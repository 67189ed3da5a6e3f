// Remote neighbours from the routing table: one record per valid route
// whose next hop is a site-local, global, V4-compatible or unknown-scope
// address that is not one of the NE's own, filed under the route's
// interface index in a multi-entry tree.
//
// A record holds "m_RemoteNbrIpAddr" (short form), "m_RemoteNbrIpPfxLength",
// "m_RemoteNbrIpScope" and, when the address has a name,
// "m_RemoteNbrIpDNSName"; the neighbour cache may add "m_RemoteNbrMacAddr".
//
// Ownership: the caller owns the returned tree, its wrappers and its
// records (see nbr::DeleteRemoteNbrTree). The mediation data is only read.
#include <cstdlib>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/CKelString.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "mediation/ColumnRows.h"
#include "processing/NbrLookup.h"
#include "processing/NbrRecords.h"

namespace {

const char kValidColumn[] = "ipv6RouteValid";
const char kIfIndexColumn[] = "ipv6RouteIfIndex";
const char kNextHopColumn[] = "ipv6RouteNextHop";

// ipv6RouteValid false(2) (RFC 2465 TruthValue): a route that is not valid.
constexpr int kRouteNotValid = 2;

// The row index of a column element as dotted text (malloc'ed), or null.
char* IndexText(CKelListable* element) {
  CKelASN1Address* index = ColumnRowIndex(element);
  return index != nullptr ? index->KAAAddressPrint() : nullptr;
}

// Deletes the var bind of every entry of the valid-route tree, the
// wrappers and the tree.
void DeleteValidRouteTree(CKelTreeList* tree) {
  if (tree == nullptr) return;
  tree->KTLForEach([](CKelPointer* wrapper) { delete static_cast<CKelVarBind*>(wrapper->KPData()); });
  tree->KTLDeleteWrappers();
  delete tree;
}

// Deletes the next-hop tree; its values are texts of the mediation data.
void DeleteNextHopTree(CKelTreeList* tree) {
  if (tree == nullptr) return;
  tree->KTLDeleteWrappers();
  delete tree;
}

}  // namespace

CKelTreeList* CDiscoIPv6Agent::DIPv6GetRemoteNbrTags(CDiscoMediationData* medData) {
  if (m_AutoDiscovery == 0) return nullptr;
  CKelTreeList* tree = DIPv6GetRemoteNbrFromIpRoutingTable(medData);
  return DIPv6GetRemoteNbrFromNetToMediaTable(medData, tree);
}

CKelTreeList* CDiscoIPv6Agent::DIPv6GetRemoteNbrFromIpRoutingTable(CDiscoMediationData* medData) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetRemoteNbrFromIpRoutingTable()\n", 4);
  CKelDoubleList* validColumn =
      medData != nullptr ? medData->DMDGetSnmpGetNext(kValidColumn) : nullptr;
  CKelDoubleList* ifIndexColumn =
      medData != nullptr ? medData->DMDGetSnmpGetNext(kIfIndexColumn) : nullptr;
  CKelDoubleList* nextHopColumn =
      medData != nullptr ? medData->DMDGetSnmpGetNext(kNextHopColumn) : nullptr;
  if (validColumn == nullptr || ifIndexColumn == nullptr || nextHopColumn == nullptr) {
    CKelError(-220439, __FILE__, __LINE__,
              "screwed: one of ifRouteType, ifRouteIfIndex, ifRouteNextHop is null");
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetRemoteNbrFromIpRoutingTable()\n", 4);
    return nullptr;
  }
  CKelTreeList* validRoutes = new (std::nothrow) CKelTreeList(E_KBFalse);
  CKelTreeList* nextHops = new (std::nothrow) CKelTreeList(E_KBFalse);
  if (validRoutes == nullptr || nextHops == nullptr) {
    CKelError(-220553, __FILE__, __LINE__);
    delete validRoutes;
    delete nextHops;
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetRemoteNbrFromIpRoutingTable()\n", 4);
    return nullptr;
  }

  // Next hops by route index. The texts stay the mediation data's.
  for (CKelListable* e = nextHopColumn->KDLHead(); e != nullptr; e = nextHopColumn->KDLGetNext(e)) {
    char* indexText = IndexText(e);
    if (indexText == nullptr) {
      CKelError(-220552, __FILE__, __LINE__);
      continue;
    }
    const CKelAtom* value = ColumnRow(e)->KSVOValue();
    if (value != nullptr) {
      const char* nextHop = value->KAString();
      genXPLTracef(4, "Add to next hop list : %s\n", nextHop != nullptr ? nextHop : "");
      // A repeated row index keeps the first next hop; it is not reported
      // here (the tree reports a failed allocation itself).
      nextHops->KTLAdd(indexText, const_cast<char*>(nextHop));
    }
    free(indexText);
  }

  DIPv6DetermineValidRemoteNeighbours(
      kRouteNotValid, validColumn, nextHops,
      static_cast<CKelTreeList*>(medData->DMDGetDataPtr("m_IpDataList")), validRoutes);

  // The interface index of every valid route.
  for (CKelListable* e = ifIndexColumn->KDLHead(); e != nullptr; e = ifIndexColumn->KDLGetNext(e)) {
    CKelASN1Address* index = ColumnRowIndex(e);
    if (index == nullptr || ColumnRow(e)->KSVOValue() == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, " remote nbr ifindex atom or asn1 value null");
      continue;
    }
    char* indexText = index->KAAAddressPrint();
    if (indexText == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, " remote nbr destination string null");
      continue;
    }
    CKelPointer* entry = validRoutes->KTLGet(indexText);
    if (entry == nullptr) {
      CKelString message("No entry for ");
      message.KSStrCat(indexText);
      message.KSStrCat(" in valid routes list.");
      CKelError(-220439, __FILE__, __LINE__, message.KSString());
    } else if (entry->KPData() == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, " remote nbr dest VB null");
    } else {
      auto* dest = static_cast<CKelVarBind*>(entry->KPData());
      if (dest->KVBValue() != nullptr) {
        CKelError(-220439, __FILE__, __LINE__,
                  " possible corruption warning - value of dest VB SHOULD be null but isnt");
      } else {
        CKelAtom* ifIndex = KelNew<CKelAtom>(ColumnRow(e)->KSVOValue()->KAInt64());
        if (ifIndex == nullptr) {
          CKelError(-220553, __FILE__, __LINE__);
        } else {
          dest->KVBSetValue(ifIndex);
        }
      }
    }
    free(indexText);
  }

  // One record per valid route with a kept next hop.
  NbrLookup lookup(this, medData);
  CKelTreeList* result = nullptr;
  bool treeFailed = false;
  for (CKelListable* e = nextHopColumn->KDLHead(); e != nullptr; e = nextHopColumn->KDLGetNext(e)) {
    CKelASN1Address* index = ColumnRowIndex(e);
    const CKelAtom* value = index != nullptr ? ColumnRow(e)->KSVOValue() : nullptr;
    if (value == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, " remote nbr nxthop atom or asn1 value null");
      continue;
    }
    char* indexText = index->KAAAddressPrint();
    if (indexText == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "remote nbr dest string null");
      continue;
    }
    CKelPointer* entry = validRoutes->KTLGet(indexText);
    auto* dest = entry != nullptr ? static_cast<CKelVarBind*>(entry->KPData()) : nullptr;
    if (entry == nullptr) {
      genXPLTracef(4, "No data found in valid route list for %s\n", indexText);
    } else if (dest == nullptr) {
      CKelError(-220439, __FILE__, __LINE__, "remote nbr dest VB null");
    } else if (dest->KVBValue() == nullptr) {
      genXPLTracef(4, "ifIndex is null for nxtHop[%s]\n", dest->KVBNameText());
      CKelError(-220439, __FILE__, __LINE__);
    } else if (char* normalised = value->KAString() != nullptr
                                      ? DIPv6Normalization(value->KAString(), 1)
                                      : nullptr) {
      const int scopeClass = nbr::RemoteScopeClass(DIPv6GetAddrScope(normalised));
      if (scopeClass < 0) {
        genXPLTracef(4, "%s is NOT site-local/global\n", normalised);
      } else {
        CKelVarBind* address = nbr::NewTextField("m_RemoteNbrIpAddr", DIPv6ShortFormat(normalised));
        CKelVarBind* pfxLength =
            nbr::NewIntField("m_RemoteNbrIpPfxLength", lookup.PfxLengthFor(normalised));
        CKelVarBind* scope = nbr::NewIntField("m_RemoteNbrIpScope", scopeClass);
        char* name = DIPv6GetNodename(normalised);
        CKelVarBind* dnsName =
            name != nullptr ? nbr::NewTextField("m_RemoteNbrIpDNSName", name) : nullptr;
        if (address == nullptr || pfxLength == nullptr || scope == nullptr) {
          CKelError(-220553, __FILE__, __LINE__);
        } else if (result == nullptr &&
                   (result = new (std::nothrow) CKelTreeList(E_KBTrue)) == nullptr) {
          CKelError(-220553, __FILE__, __LINE__);
          treeFailed = true;
        } else if (CKelDoubleList* record = nbr::NewRecord()) {
          // The record takes the fields (Append deletes a field it refuses).
          bool whole = nbr::Append(record, address);
          whole = nbr::Append(record, pfxLength) && whole;
          whole = nbr::Append(record, scope) && whole;
          if (dnsName != nullptr) whole = nbr::Append(record, dnsName) && whole;
          address = pfxLength = scope = dnsName = nullptr;
          const int status =
              whole ? result->KTLAdd(dest->KVBValue(), static_cast<void*>(record)) : -220553;
          if (status != 1) {
            CKelError(status, __FILE__, __LINE__);
            delete record;
          }
        } else {
          CKelError(-220553, __FILE__, __LINE__);
        }
        delete address;
        delete pfxLength;
        delete scope;
        delete dnsName;
      }
      free(normalised);
    }
    free(indexText);
    if (treeFailed) break;
  }

  DeleteValidRouteTree(validRoutes);
  DeleteNextHopTree(nextHops);
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetRemoteNbrFromIpRoutingTable()\n", 4);
  return result;
}
