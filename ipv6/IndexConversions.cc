// Conversions between SNMP row indexes, binary addresses and prefixes.
// Row indexes of the address, prefix and neighbour-cache tables hold the
// interface index at position 0 and the 16 address octets at positions 1
// to 16. None of these operations reads or writes member data.
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "ipv6/AddressBytes.h"

namespace {

// The byte-wise text of a stretch of an index: at most 26 positions of
// three characters fit the 79-character work buffer.
constexpr int kMaxTextPositions = 26;
constexpr size_t kPartBufferSize = 79;

// Sub-identifiers of address indexes are octets; anything larger does not
// come from a conforming agent and is refused.
constexpr uint32_t kMaxOctet = 255;

// True when no position from `begPos` to `endPos` holds a value above 255;
// positions outside `asn` read 0.
bool OctetValues(const CKelASN1Address* asn, int begPos, int endPos) {
  for (int pos = begPos; pos <= endPos; ++pos) {
    if (asn->KAAAddressAt(pos) > kMaxOctet) return false;
  }
  return true;
}

// True when positions `begPos` to `endPos` all lie inside `asn` and hold
// octet values. An empty range (begPos > endPos) holds nothing and is true.
bool OctetsAt(const CKelASN1Address* asn, int begPos, int endPos) {
  if (begPos > endPos) return true;
  return begPos >= 0 && endPos < asn->KAADepth() && OctetValues(asn, begPos, endPos);
}

// A heap copy of `text`; a copy that cannot be made is reported.
char* CopyResult(const char* text) {
  char* result = strdup(text);
  if (result == nullptr) CKelError(-220553, __FILE__, __LINE__, nullptr);
  return result;
}

// The prefix of `addr` of length `pfxLength` as a heap copy of its
// byte-wise text.
char* PrefixText(const uint8_t addr[16], int pfxLength) {
  uint8_t prefix[16];
  ipv6::CutPrefix(addr, pfxLength, prefix);
  char text[ipv6::kByteWiseLength + 1];
  ipv6::FormatByteWise(prefix, text);
  return CopyResult(text);
}

}  // namespace

char* CDiscoIPv6Agent::DIPv6GetPartOfASN(CKelASN1Address* inputASN, int begPos, int endPos) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetPartOfASN()\n", 4);
  char* result = nullptr;
  if (inputASN == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, nullptr);
  } else if (begPos < 1 || endPos >= inputASN->KAADepth()) {
    CKelError(-220439, __FILE__, __LINE__, "out of range");
  } else if (begPos <= endPos && endPos - begPos + 1 <= kMaxTextPositions &&
             OctetsAt(inputASN, begPos, endPos)) {
    // A wider stretch, or one holding a value above 255, would not fit the
    // work buffer and is refused; so is an empty stretch (no text).
    char text[kPartBufferSize];
    char* at = text;
    for (int pos = begPos; pos <= endPos; ++pos) {
      at = ipv6::PutHexOctet(at, inputASN->KAAAddressAt(pos));
      if (pos != endPos) *at++ = ':';
    }
    *at = '\0';
    result = CopyResult(text);
  }
  genXPLTracef(4, "-- CDiscoIPv6Agent::DIPv6GetPartOfASN() returning[%s]\n", ipv6::TraceText(result));
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetPartOfASN()\n", 4);
  return result;
}

in6_addr* CDiscoIPv6Agent::DIPv6GetAddrFromASN(CKelASN1Address* inputASN, int begPos, int endPos) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetAddrFromASN()\n", 4);
  in6_addr* result = nullptr;
  if (inputASN == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, nullptr);
  } else if ((begPos > endPos || static_cast<long long>(endPos) - begPos + 1 <= 16) &&
             OctetValues(inputASN, begPos, endPos)) {
    // More than 16 positions, or values above 255, are refused. The depth is
    // not checked: a position past the end reads 0, so a short row gives an
    // address whose last bytes are zero, and the text of the same row is
    // what reports it. Bytes that a shorter range leaves unfilled are zero.
    result = static_cast<in6_addr*>(std::calloc(1, sizeof(in6_addr)));
    if (result == nullptr) {
      CKelError(-220553, __FILE__, __LINE__, nullptr);
    } else {
      int byte = 0;
      for (int pos = begPos; pos <= endPos; ++pos) {
        result->s6_addr[byte++] = static_cast<uint8_t>(inputASN->KAAAddressAt(pos));
      }
    }
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetAddrFromASN()\n\n", 4);
  return result;
}

char* CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp(CKelASN1Address* inputASN, int pfxLength) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp()\n", 4);
  char* result = nullptr;
  if (inputASN == nullptr) {
    CKelError(-220552, __FILE__, __LINE__, nullptr);
  } else {
    // Octet i of the address lies at position i + 1. Only the octets the
    // cut keeps are read; an index too short to hold them, or holding a
    // value above 255 among them, is refused.
    const int octets = ipv6::PrefixOctetsRead(pfxLength);
    if (OctetsAt(inputASN, 1, octets)) {
      uint8_t addr[16] = {0};
      for (int i = 0; i < octets; ++i) addr[i] = static_cast<uint8_t>(inputASN->KAAAddressAt(i + 1));
      result = PrefixText(addr, pfxLength);
    }
  }
  genXPLTracef(4, "----CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp() returning[%s]\n",
               ipv6::TraceText(result));
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp()\n", 4);
  return result;
}

char* CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(const char* ipStdStr, int pfxLength) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(%s/%d)\n", ipv6::TraceText(ipStdStr),
               pfxLength);
  char* result = nullptr;
  if (ipStdStr != nullptr) {
    in6_addr addr;
    if (_ZWinet_pton(AF_INET6, ipStdStr, &addr) != 1) {
      genXPLTrace("-- CDiscoIPv6Agent::DIPv6GetPfxFromStdIP() failed to convert ip to string\n", 4);
    } else {
      result = PrefixText(addr.s6_addr, pfxLength);
    }
  }
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(%s)\n", ipv6::TraceText(result));
  return result;
}
