// The mediation filter: finds out over SNMP how an NE forwards, records
// the SNMP address that answered and the NE's capability, describes every
// non-router as an end node, and refuses only an NE that answered no
// forwarding question at all.
#include <arpa/inet.h>
#include <netinet/in.h>

#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "host/ZWResolver.h"

namespace {

constexpr int kIPv4TextSize = 22;

void PrintRecord(const CKelRecord* record) {
  if (record != nullptr) record->KRPrint();
}

}  // namespace

__boolean CDiscoIPv6Agent::DADoMediationFilter(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DADoMediationFilter()\n", 4);
  if (KelTraceOn(4)) {
    genXPLTrace("--CDiscoIPv6Agent::DADoMediationFilter() Input:\n", 4);
    PrintRecord(neRecord);
  }
  __boolean result = E_KBFalse;
  if (neRecord == nullptr) {
    CKelError(-220439, __FILE__, __LINE__, " neRecord is null - this should NEVER happen");
  } else {
    const int rc = DIPv6UpdateNeSnmpIp(neRecord);
    // Everything but an IPv6 router is an end node; only an NE that
    // answered nothing is left out of mediation.
    if (rc != 1) DIPv6ProcessEndNode(neRecord);
    if (rc != 0) result = E_KBTrue;
  }
  genXPLTrace(result == E_KBTrue
                  ? "-- CDiscoIPv6Agent::DADoMediationFilter() - Returning [TRUE]\n"
                  : "-- CDiscoIPv6Agent::DADoMediationFilter() - Returning [FALSE]\n",
              4);
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DADoMediationFilter()\n", 4);
  return result;
}

int CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp(CKelRecord* neRecord) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp()\n", 4);
  PrintRecord(neRecord);
  int ipFwd = 0;
  if (neRecord == nullptr) {
    CKelError(-220552, __FILE__, __LINE__);
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp()\n", 4);
    return ipFwd;
  }

  if (m_ValidAddr != nullptr &&
      m_ValidAddr->KVAIsIpValid(neRecord, E_KBFalse, E_KBFalse, E_KBFalse) == E_KBTrue) {
    ipFwd = DIPv6GetIpForwarding(neRecord);
  }

  // Fallback over the IPv4 addresses of the NE's name. Each address is
  // tried on a private copy, so that the real record only ever receives
  // the address that answered.
  const CKelAtom* nameAtom = ipFwd == 0 ? neRecord->KRValueOf("m_Name") : nullptr;
  const char* name = nameAtom != nullptr ? nameAtom->KAString() : nullptr;
  addrinfo* addresses = name != nullptr ? DIPv6GetIPv4AddressList(name) : nullptr;
  if (addresses != nullptr) {
    CKelRecord* copy = KelNew<CKelRecord>(*neRecord);
    if (copy == nullptr) {
      CKelError(-220553, __FILE__, __LINE__);
    } else {
      for (const addrinfo* entry = addresses; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
        char text[kIPv4TextSize];
        const auto* sin = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        if (_ZWinet_ntop(AF_INET, &sin->sin_addr, text, sizeof(text)) == nullptr) continue;
        genXPLTracef(4, "CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp() Try snmp ip[%s]\n", text);
        copy->KRAddOrSetValue("m_SnmpAccessIP", static_cast<const char*>(text));
        ipFwd = DIPv6GetIpForwarding(copy);
        if (ipFwd != 0) {
          genXPLTracef(4, "CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp() set snmp access ip[%s]\n", text);
          neRecord->KRAddOrSetValue("m_SnmpAccessIP", static_cast<const char*>(text));
          break;
        }
      }
      delete copy;
    }
    // The portability layer's lists are released by the portability layer.
    _ZWfreeaddrinfo(addresses);
  }

  DIPv6SetOrAddCapability(neRecord, ipFwd);
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp()\n", 4);
  PrintRecord(neRecord);
  return ipFwd;
}
