// Helpers shared by the address toolkit's operations: the byte-wise text of
// sixteen octets, the prefix cut and the way trace lines show an absent
// text. Internal to the agent. No state: safe from any number of threads.
#ifndef IPV6_ADDRESSBYTES_H_
#define IPV6_ADDRESSBYTES_H_

#include <cstddef>
#include <cstdint>

namespace ipv6 {

// Size of the work buffers of the text operations: at most 64 characters
// of text and the terminator.
constexpr size_t kTextBufferSize = 65;

// Length of the byte-wise form: sixteen "%.2X" groups joined by ":".
constexpr size_t kByteWiseLength = 47;

// Byte masks that keep the first 0 to 7 bits of an octet, indexed by the
// number of bits kept.
extern const uint8_t kPrefixMask[8];

// Number of leading octets of an address that the prefix cut for
// `pfxLength` looks at (0 to 16). A negative length counts as 0.
int PrefixOctetsRead(int pfxLength);

// Writes to `out` the octets of `addr` with every bit beyond the first
// `pfxLength` cleared: 0 (or a negative length) gives sixteen zero octets,
// 128 or more the whole address. Only the first PrefixOctetsRead(pfxLength)
// octets of `addr` are read.
void CutPrefix(const uint8_t addr[16], int pfxLength, uint8_t out[16]);

// Writes the two upper-case hexadecimal digits of `octet` ("%.2X") at `at`
// and returns the position after them. No terminator is written.
inline char* PutHexOctet(char* at, unsigned octet) {
  static const char kDigits[] = "0123456789ABCDEF";
  *at++ = kDigits[(octet >> 4) & 0x0F];
  *at++ = kDigits[octet & 0x0F];
  return at;
}

// Writes the byte-wise text of `octets` (47 characters and a terminator)
// to `out`.
void FormatByteWise(const uint8_t octets[16], char out[kByteWiseLength + 1]);

// The text a trace line shows for `text`: the text itself, or "NULL" in
// double quotes when it is absent.
inline const char* TraceText(const char* text) { return text != nullptr ? text : "\"NULL\""; }

}  // namespace ipv6

#endif  // IPV6_ADDRESSBYTES_H_
