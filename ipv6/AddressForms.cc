// Address text forms: the normalised form, the short form and the validity
// test. None of them reads or writes member data.
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "ipv6/AddressBytes.h"

namespace {

// Regroups the hex run `in` into groups of four characters: every character
// but ":" is copied, and a ":" follows each fourth copied character unless
// the input ends there. Nothing is validated. Writes the terminated text to
// `out` and returns true; returns false, leaving `out` empty, when the text
// would not fit the work buffer (more than 64 characters).
bool RegroupHexRun(const char* in, char out[ipv6::kTextBufferSize]) {
  const size_t limit = ipv6::kTextBufferSize - 1;
  const size_t inLength = std::strlen(in);
  size_t outLength = 0;
  int groupCount = 0;
  for (size_t i = 0; i < inLength; ++i) {
    const bool copy = in[i] != ':';
    const bool separate = copy && groupCount == 3 && i + 1 < inLength;
    if (outLength + (copy ? 1 : 0) + (separate ? 1 : 0) > limit) {
      out[0] = '\0';
      return false;
    }
    if (copy) {
      out[outLength++] = in[i];
      ++groupCount;
    }
    if (separate) {
      groupCount = 0;
      out[outLength++] = ':';
    }
  }
  out[outLength] = '\0';
  return true;
}

// Writes the normalised text of `addrStr` (eight groups of four upper-case
// digits) to `out`; leaves `out` empty when the text is not an address.
void PrintNormalised(const char* addrStr, char out[ipv6::kTextBufferSize]) {
  out[0] = '\0';
  in6_addr addr;
  if (_ZWinet_pton(AF_INET6, addrStr, &addr) != 1) return;
  char* at = out;
  for (int i = 0; i < 16; ++i) {
    at = ipv6::PutHexOctet(at, addr.s6_addr[i]);
    if (i % 2 == 1 && i != 15) *at++ = ':';
  }
  *at = '\0';
}

// A heap copy of the non-empty `text`, or null for empty text. A copy that
// cannot be made is reported.
char* CopyResult(const char* text) {
  if (text[0] == '\0') return nullptr;
  char* result = strdup(text);
  if (result == nullptr) CKelError(-220553, __FILE__, __LINE__, nullptr);
  return result;
}

}  // namespace

char* CDiscoIPv6Agent::DIPv6Normalization(const char* addrStr, int fmt) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6Normalization(%s)\n", ipv6::TraceText(addrStr));
  char buffer[ipv6::kTextBufferSize] = "";
  if (addrStr != nullptr) {
    if (fmt == 1) {
      // An over-long run is refused: the buffer stays empty.
      RegroupHexRun(addrStr, buffer);
    } else if (fmt == 2) {
      PrintNormalised(addrStr, buffer);
    }
  }
  char* result = CopyResult(buffer);
  if (result != nullptr) {
    genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6Normalization(%s)\n", result);
  } else {
    genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6Normalization(\"NULL\")\n", 4);
  }
  return result;
}

char* CDiscoIPv6Agent::DIPv6ShortFormat(const char* addrStr) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6ShortFormat(%s)\n", ipv6::TraceText(addrStr));
  char* result = nullptr;
  in6_addr addr;
  if (addrStr != nullptr && _ZWinet_pton(AF_INET6, addrStr, &addr) == 1) {
    char buffer[ipv6::kTextBufferSize] = "";
    if (_ZWinet_ntop(AF_INET6, &addr, buffer, sizeof buffer) == nullptr) buffer[0] = '\0';
    result = CopyResult(buffer);
  }
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6ShortFormat(%s)\n", ipv6::TraceText(result));
  return result;
}

__boolean CDiscoIPv6Agent::DIPv6IsIpValid(const char* ipStr, int fmt) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6IsIpValid(fmt=%d)\n", fmt);
  __boolean result = E_KBFalse;
  if (ipStr != nullptr && ipStr[0] != '\0') {
    genXPLTracef(4, "::DIPv6IsIpValid(ipStr=%s)\n", ipStr);
    char regrouped[ipv6::kTextBufferSize];
    // A run too long to regroup is no address (every IPv6 text is far
    // shorter); it is refused quietly rather than taken for a failed copy.
    if (fmt != 1 || RegroupHexRun(ipStr, regrouped)) {
      char* work = fmt == 1 ? DIPv6Normalization(ipStr, 1) : strdup(ipStr);
      if (work == nullptr) {
        CKelError(-220553, __FILE__, __LINE__, nullptr);
      } else {
        in6_addr addr;
        if (_ZWinet_pton(AF_INET6, work, &addr) == 1) result = E_KBTrue;
        free(work);
      }
    }
  }
  genXPLTrace(result == E_KBTrue ? "LEAVE : CDiscoIPv6Agent::DIPv6IsIpValid(TRUE)\n"
                                 : "LEAVE : CDiscoIPv6Agent::DIPv6IsIpValid(FALSE)\n",
              4);
  return result;
}
