// Byte-wise text and the prefix cut.
#include "ipv6/AddressBytes.h"

namespace ipv6 {

const uint8_t kPrefixMask[8] = {0x00, 0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE};

int PrefixOctetsRead(int pfxLength) {
  if (pfxLength <= 0) return 0;
  if (pfxLength >= 128) return 16;
  // Whole octets, plus the partial one when bits of it are kept.
  return pfxLength / 8 + (pfxLength % 8 != 0 ? 1 : 0);
}

void CutPrefix(const uint8_t addr[16], int pfxLength, uint8_t out[16]) {
  // A negative length would otherwise give a negative remainder and index
  // the mask table below its start.
  if (pfxLength < 0) pfxLength = 0;
  const int whole = pfxLength / 8;
  const int bits = pfxLength % 8;
  for (int i = 0; i < 16; ++i) out[i] = 0;
  for (int i = 0; i < 16; ++i) {
    if (i < whole) {
      out[i] = addr[i];
      continue;
    }
    if (bits != 0) out[i] = static_cast<uint8_t>(addr[i] & kPrefixMask[bits]);
    break;
  }
}

void FormatByteWise(const uint8_t octets[16], char out[kByteWiseLength + 1]) {
  char* at = out;
  for (int i = 0; i < 16; ++i) {
    at = PutHexOctet(at, octets[i]);
    if (i < 15) *at++ = ':';
  }
  *at = '\0';
}

}  // namespace ipv6
