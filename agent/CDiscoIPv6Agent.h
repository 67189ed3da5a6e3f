// The IPv6 discovery agent.
//
// One object serves a whole discovery run. The automatic-discovery switch
// and the two lists are filled by the constructor and only read afterwards,
// so the per-NE operations may run on many worker threads at once without
// locks; address-to-name lookups serialise themselves on the module-wide
// m_Mutex.
//
// Texts returned by the address and resolver operations are malloc'ed and
// released by the caller with free; null means "none" (not found, not
// valid, or out of memory, the last reported).
#ifndef AGENT_CDISCOIPV6AGENT_H_
#define AGENT_CDISCOIPV6AGENT_H_

#include <netdb.h>
#include <netinet/in.h>

#include "host/CDiscoAgent.h"
#include "host/CDiscoMediationData.h"
#include "host/CKelASN1Address.h"
#include "host/CKelAtom.h"
#include "host/CKelDoubleList.h"
#include "host/KelLock.h"
#include "host/CKelRecord.h"
#include "host/CKelSnmpVarOp.h"
#include "host/CKelTreeList.h"
#include "host/KelTypes.h"

// Scope names, indexed by scope number 0 to 13.
extern const char* const scopeDescr[14];
// Capability names, indexed by capability index 0 to 6.
extern const char* const ipv6Capability[7];

class CDiscoIPv6Agent : public CDiscoAgent {
 public:
  CDiscoIPv6Agent();
  ~CDiscoIPv6Agent() override;

  // The module-wide lock held around every address-to-name lookup. Created
  // exactly once by the first constructor; never deleted.
  static CKelRWLock* m_Mutex;

  // Mediation filter helpers.
  int DIPv6UpdateNeSnmpIp(CKelRecord* neRecord);
  void DIPv6ProcessEndNode(CKelRecord* neRecord);

  // Configuration files (called by the constructor and destructor).
  int DIPv6LoadConfig(const char* fileName);
  int DIPv6BuildPfxNameList(const char* fileName);
  int DIPv6RemovePfxNameList();
  int DIPv6BuildHistoryIpList(const char* fileName);
  int DIPv6RemoveHistoryIpList();

  // Address text forms.
  __boolean DIPv6IsIpValid(const char* ipStr, int fmt);
  char* DIPv6Normalization(const char* addrStr, int fmt);
  char* DIPv6ShortFormat(const char* addrStr);

  // Index and prefix conversions.
  char* DIPv6GetPartOfASN(CKelASN1Address* inputASN, int begPos, int endPos);
  in6_addr* DIPv6GetAddrFromASN(CKelASN1Address* inputASN, int begPos, int endPos);
  char* DIPv6GetPfxFromIndexIp(CKelASN1Address* inputASN, int pfxLength);
  char* DIPv6GetPfxFromStdIP(const char* ipStdStr, int pfxLength);

  // Scope classification (scope numbers 0 to 13).
  int DIPv6GetAddrScope(const char* ipStr);
  int DIPv6GetAddrScope(const in6_addr* ip);

  // Mediation dumps to standard output (trace level 4 and above).
  void DLPrint(const char* name, CKelDoubleList* list);
  void DLPrint(const char* name, CKelSnmpVarOp* varOp);

  // Mediation data accessors and the local IP list.
  CKelAtom* DIPv6GetIfAttr(CDiscoMediationData* medData, CKelAtom* ifIdxAtom, const char* attr);
  CKelAtom* DIPv6GetAddrAttr(CDiscoMediationData* medData, CKelASN1Address* inputASN,
                             const char* attr);
  CKelAtom* DIPv6GetPfxAttr(CDiscoMediationData* medData, int ifIndex, char* pfxStr,
                            int pfxLength, const char* attr);
  __boolean DIPv6IsAnycastAddress(CDiscoMediationData* medData, CKelASN1Address* inputASN);
  int DIPv6BuildLocalIpList(CDiscoMediationData* medData);
  int DIPv6RemoveLocalIpList(CDiscoMediationData* medData);
  int DIPv6GetPfxLengthFromLocalIpList(const char* ipStdStr, CDiscoMediationData* medData);

  // Neighbour processing.
  CKelDoubleList* DIPv6GetLocalNbrTags(CDiscoMediationData* medData);
  CKelTreeList* DIPv6GetRemoteNbrTags(CDiscoMediationData* medData);
  CKelTreeList* DIPv6GetRemoteNbrFromIpRoutingTable(CDiscoMediationData* medData);
  int DIPv6DetermineValidRemoteNeighbours(int inValidRoute, CKelDoubleList* validList,
                                          CKelTreeList* nextHopTL, CKelTreeList* localIPs,
                                          CKelTreeList* validIndexes);
  CKelTreeList* DIPv6BuildTreeListFromDoubleList(CKelDoubleList* dList,
                                                 __boolean allowMultipleEntries);
  CKelTreeList* DIPv6GetRemoteNbrFromNetToMediaTable(CDiscoMediationData* medData,
                                                     CKelTreeList* remoteNbrTags);

  // Capabilities and forwarding.
  void DIPv6SetOrAddCapability(CKelRecord* neRecord, CKelAtom* isCapAtom);
  int DIPv6SetOrAddCapability(CKelRecord* neRecord, int ipFwd);
  int DIPv6SetOrAddCapability(CKelRecord* neRecord);
  int DIPv6SetOrAddCapability(CDiscoMediationData* medData, CKelRecord* neRecord);
  int DIPv6GetIpForwarding(CKelRecord* neRecord);
  int DIPv6GetIpForwarding(CDiscoMediationData* medData, CKelRecord* neRecord);

  // Names.
  void DIPv6AddName(CKelAtom* ipAtom, CKelRecord* neRecord);
  void DIPv6AddOrUpdateName(CKelRecord* neRecord);
  CKelAtom* DIPv6GetIPAddress(CKelAtom* nameAtom, CKelRecord* neRecord);
  addrinfo* DIPv6GetIPv4AddressList(const char* nodename);
  char* DIPv6GetIPv4Address(const char* nodename);
  char* DIPv6GetIPv6Address(const char* nodename);
  char* DIPv6AddressListToString(addrinfo* res);
  char* DIPv6GetNodename(CKelAtom* ipAtom);
  char* DIPv6GetNodename(const char* ipStr);
  int GetNameInfoForWindows(const char* ipStr, char* retHostName, int family);

  // ICMPv6 echo. `pid` is the echo identifier (its low 16 bits travel);
  // a ping waits at most `seconds` + `microseconds` for its reply.
  int DIPv6GetICMPv6Socket();
  int DIPv6SendPing(int sock, addrinfo* dest, int pid);
  int DIPv6VerifyPing(char* buf, int len, int pid);
  int DIPv6PingAddress(const char* ipStr, __boolean confirm, int seconds, long microseconds);
  void DIPv6PingMatchedAddress(const char* ipStdStr, int pfxLength);

  // Read access for the engine's reports and for tests.
  int DIPv6AutoDiscovery() const { return m_AutoDiscovery; }
  const CKelTreeList* DIPv6PfxDataList() const { return m_pfxDataList; }
  const CKelTreeList* DIPv6IpDataList() const { return m_ipDataList; }

 protected:
  void KASetSCName() override;
  void KASetSCDesc() override;
  __boolean DADoMediationFilter(CKelRecord* neRecord) override;
  void DADoMediationLayer(CKelRecord* neRecord) override;
  void DADoProcessLayer(CKelRecord* neRecord) override;
  void DAProcessNewNe(CKelRecord* neRecord) override;

  __boolean DIPv6IsHaveAccessPresent(CKelRecord* neRecord);
  __boolean DIPv6DoNameAndIpProcessing(CKelRecord* neRecord);
  int DIPv6ProcessPrefixLength(CKelRecord* neRecord);

 private:
  int m_Index;
  int m_IpAddress[16];
  int m_PfxLength;
  int m_AutoDiscovery;
  CKelTreeList* m_pfxDataList;
  CKelTreeList* m_ipDataList;
};

// Starts the socket library; 0 on success, -1 on failure (reported).
int initializeWSA();

#endif  // AGENT_CDISCOIPV6AGENT_H_
