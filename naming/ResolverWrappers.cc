// The agent's doors to name resolution: names to IPv4/IPv6 address text,
// address lists to one line, and addresses to host names.
//
// Every list comes from the portability layer's resolver, which lists each
// address once, and is released with _ZWfreeaddrinfo.
#include <arpa/inet.h>

#include <cstdlib>
#include <cstring>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelString.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "host/ZWResolver.h"

namespace {

constexpr int kIPv4TextSize = 22;
constexpr int kIPv6TextSize = 65;
constexpr int kHostNameSize = 129;

// A heap copy of `text`; reports the failure and gives null when memory
// runs out.
char* CopyOrReport(const char* text, int line) {
  char* copy = strdup(text);
  if (copy == nullptr) CKelError(-220553, __FILE__, line, nullptr);
  return copy;
}

}  // namespace

int initializeWSA() {
  WSADATA data;
  int rc = WSAStartup(MAKEWORD(2, 2), &data);
  if (rc != 0) {
    CKelError(-220439, __FILE__, __LINE__, "initializeWSA() failed ");
    genXPLTracef(4, "initializeWSA() failed with error %d\n", rc);
    return -1;
  }
  return 0;
}

addrinfo* CDiscoIPv6Agent::DIPv6GetIPv4AddressList(const char* nodename) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetIPv4AddressList()\n", 4);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* res = nullptr;
  int rc = nodename != nullptr ? _ZWgetaddrinfo(nodename, nullptr, &hints, &res) : EAI_NONAME;
  if (rc != 0) {
    genXPLTracef(4, "-- DIPv6GetIPv4AddressList() failed to resolve ipv4 addresses from [%s] : %s\n",
                 nodename != nullptr ? nodename : "", _ZWgai_strerror(rc));
    res = nullptr;
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetIPv4AddressList()\n", 4);
  return res;
}

char* CDiscoIPv6Agent::DIPv6GetIPv4Address(const char* nodename) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetIPv4Address()\n", 4);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* res = nullptr;
  char* result = nullptr;
  int rc = nodename != nullptr ? _ZWgetaddrinfo(nodename, nullptr, &hints, &res) : EAI_NONAME;
  if (rc != 0) {
    genXPLTracef(4, "-- DIPv6GetIPv4Address() failed to resolve an ipv4 address from [%s] : %s\n",
                 nodename != nullptr ? nodename : "", _ZWgai_strerror(rc));
  } else if (res == nullptr) {
    genXPLTrace("-- DIPv6GetIPv4Address() list of addrinfo is null !\n", 4);
  } else {
    if (res->ai_family != AF_INET) {
      genXPLTrace("-- DIPv6GetIPv4Address() address family is not  ipv4 !\n", 4);
    } else {
      char text[kIPv4TextSize] = "";
      const auto* sin = reinterpret_cast<const sockaddr_in*>(res->ai_addr);
      if (_ZWinet_ntop(AF_INET, &sin->sin_addr, text, sizeof(text)) == nullptr) {
        genXPLTrace("-- DIPv6GetIPv4Address() failed to convert a binary address to text !\n", 4);
      } else {
        result = CopyOrReport(text, __LINE__);
      }
    }
    _ZWfreeaddrinfo(res);
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetIPv4Address()\n", 4);
  return result;
}

char* CDiscoIPv6Agent::DIPv6GetIPv6Address(const char* nodename) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetIPv6Address()\n", 4);
  addrinfo hints{};
  hints.ai_flags = AI_CANONNAME;
  hints.ai_family = AF_INET6;
  addrinfo* res = nullptr;
  char* result = nullptr;
  int rc = nodename != nullptr ? _ZWgetaddrinfo(nodename, nullptr, &hints, &res) : EAI_NONAME;
  if (rc != 0) {
    genXPLTracef(4, "-- DIPv6GetIPv6Address() failed to resolve an ipv6 address from [%s] : %s\n",
                 nodename != nullptr ? nodename : "", _ZWgai_strerror(rc));
  } else if (res != nullptr) {
    char text[kIPv6TextSize] = "";
    const auto* sin6 = reinterpret_cast<const sockaddr_in6*>(res->ai_addr);
    if (res->ai_family != AF_INET6 ||
        _ZWinet_ntop(AF_INET6, &sin6->sin6_addr, text, sizeof(text)) == nullptr) {
      genXPLTrace("-- DIPv6GetIPv6Address() failed to convert a binary address to text !\n", 4);
    } else {
      result = CopyOrReport(text, __LINE__);
    }
    _ZWfreeaddrinfo(res);
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetIPv6Address()\n", 4);
  return result;
}

char* CDiscoIPv6Agent::DIPv6AddressListToString(addrinfo* res) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6AddressListToString()\n", 4);
  if (res == nullptr) {
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6AddressListToString()\n", 4);
    return nullptr;
  }
  CKelString line;
  for (addrinfo* p = res; p != nullptr; p = p->ai_next) {
    if (p->ai_family == AF_INET) {
      char text[kIPv4TextSize];
      if (_ZWinet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr, text,
                       sizeof(text)) != nullptr) {
        line.KSStrCat(text);
      }
    } else if (p->ai_family == AF_INET6) {
      char text[kIPv6TextSize];
      if (_ZWinet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(p->ai_addr)->sin6_addr, text,
                       sizeof(text)) != nullptr) {
        line.KSStrCat(text);
      }
    }
    if (p->ai_next != nullptr) line.KSStrCat(",");
  }
  char* result = CopyOrReport(line.KSString(), __LINE__);
  genXPLTracef(4, "-- CDiscoIPv6Agent::DIPv6AddressListToString() return [%s]\n",
               result != nullptr ? result : "");
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6AddressListToString()\n", 4);
  return result;
}

char* CDiscoIPv6Agent::DIPv6GetNodename(CKelAtom* ipAtom) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetNodename(CKelAtom *)\n", 4);
  char* result = nullptr;
  if (ipAtom != nullptr) result = DIPv6GetNodename(ipAtom->KAString());
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetNodename(CKelAtom *)\n", 4);
  return result;
}

char* CDiscoIPv6Agent::DIPv6GetNodename(const char* ipStr) {
  if (ipStr == nullptr) return nullptr;
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetNodename(const char *)\n", 4);
  genXPLTracef(4, "------- CDiscoIPv6Agent::DIPv6GetNodename()  intput[%s]\n", ipStr);
  int family = 6;
  if (m_ValidAddr != nullptr && m_ValidAddr->KVAIsIpValid(ipStr, E_KBFalse, E_KBFalse, E_KBFalse) ==
                                    E_KBTrue) {
    family = 4;
  }
  char hostName[kHostNameSize];
  hostName[0] = '\0';
  char* result = nullptr;
  if (GetNameInfoForWindows(ipStr, hostName, family) == 0) {
    result = CopyOrReport(hostName, __LINE__);
    genXPLTracef(4, "------- CDiscoIPv6Agent::DIPv6GetNodename() output[%s]\n",
                 result != nullptr ? result : "");
  } else {
    genXPLTrace("------- CDiscoIPv6Agent::DIPv6GetNodename() output[]\n", 4);
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetNodename(const char *)\n", 4);
  return result;
}

int CDiscoIPv6Agent::GetNameInfoForWindows(const char* ipStr, char* retHostName, int family) {
  // Address-to-name translation is serialised module-wide.
  if (m_Mutex != nullptr) m_Mutex->KRWLWriterLock();
  char host[kHostNameSize];
  host[0] = '\0';
  int error = 0;
  if (family == 4 || family == 6) {
    sockaddr_storage ss{};
    socklen_t len;
    // A text that does not convert leaves the address all zero and the lookup
    // goes ahead on it: it fails (NI_NAMEREQD) unless the resolver names "::"
    // or "0.0.0.0".
    if (family == 4) {
      auto* sin = reinterpret_cast<sockaddr_in*>(&ss);
      sin->sin_family = AF_INET;
      len = sizeof(sockaddr_in);
      if (ipStr != nullptr) _ZWinet_pton(AF_INET, ipStr, &sin->sin_addr);
    } else {
      auto* sin6 = reinterpret_cast<sockaddr_in6*>(&ss);
      sin6->sin6_family = AF_INET6;
      len = sizeof(sockaddr_in6);
      if (ipStr != nullptr) _ZWinet_pton(AF_INET6, ipStr, &sin6->sin6_addr);
    }
    error = _ZWgetnameinfo(reinterpret_cast<sockaddr*>(&ss), len, host, sizeof(host), nullptr, 0, NI_NAMEREQD);
  } else {
    const char* text = "Unknown family type specified for address-to-name translation";
    CKelError(-220439, __FILE__, __LINE__, text);
    genXPLTracef(4, "%s\n", text);
    error = 999;
  }
  if (error != 0) {
    CKelError(-220439, __FILE__, __LINE__, "address-to-name failed ");
    genXPLTracef(4, "address-to-name failed%d\n", error);
  } else if (retHostName != nullptr) {
    memcpy(retHostName, host, strlen(host) + 1);
  }
  if (m_Mutex != nullptr) m_Mutex->KRWLUnLock();
  return error;
}
