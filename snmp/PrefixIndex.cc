#include "snmp/PrefixIndex.h"

namespace snmp {

namespace {
constexpr size_t kShapeDepth = 18;  // ifIndex, 16 octets, length
constexpr uint32_t kMaxPrefixOctets = 16;
constexpr uint32_t kMaxOctet = 255;
}  // namespace

Oid NormalisePrefixIndex(const Oid& index) {
  if (index.size() < 3) return index;
  // The length sub-identifier is told by its value: the number of octets
  // between it and the prefix length. An index of 18 sub-identifiers is
  // thus reshaped only when it holds a 15-octet prefix with its length.
  const uint32_t octets = index[1];
  if (octets > kMaxPrefixOctets || index.size() != octets + 3) return index;
  Oid shaped;
  shaped.reserve(kShapeDepth);
  shaped.push_back(index[0]);
  for (uint32_t i = 0; i < octets; ++i) {
    const uint32_t octet = index[2 + i];
    if (octet > kMaxOctet) return index;
    shaped.push_back(octet);
  }
  shaped.resize(1 + kMaxPrefixOctets, 0);
  shaped.push_back(index.back());
  return shaped;
}

}  // namespace snmp
