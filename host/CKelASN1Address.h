// An object identifier or row index: a sequence of unsigned 32-bit
// sub-identifiers. Immutable after construction; safe from many threads.
#ifndef HOST_CKELASN1ADDRESS_H_
#define HOST_CKELASN1ADDRESS_H_

#include <cstdint>
#include <vector>

#include "host/KelAlloc.h"
#include "host/KelTypes.h"

class CKelASN1Address {
 public:
  KEL_ALLOCATED_HERE
  CKelASN1Address() = default;
  CKelASN1Address(const uint32_t* subIds, int count);
  explicit CKelASN1Address(std::vector<uint32_t> subIds) : m_SubIds(std::move(subIds)) {}

  // Parses dotted text ("1.3.6.1", a leading dot allowed). Returns null for
  // text that is not a dotted sequence of numbers below 2^32. The caller
  // owns the result.
  static CKelASN1Address* KAAFromString(const char* dotted);

  int KAADepth() const { return static_cast<int>(m_SubIds.size()); }
  // The sub-identifier at 0-based position `i`; 0 outside 0..depth-1, so
  // callers check the depth when 0 matters.
  uint32_t KAAAddressAt(int i) const;
  // A new malloc'ed dotted text without leading dot ("" for depth 0),
  // released with free; null only when memory runs out.
  char* KAAAddressPrint() const;
  // E_KBTrue when `other` holds the same sub-identifiers; E_KBFalse for null.
  __boolean KAAMatchAddress(const CKelASN1Address* other) const;

  const std::vector<uint32_t>& KAASubIds() const { return m_SubIds; }

 private:
  static CKelASN1Address* FromString(const char* dotted);  // throws std::bad_alloc
  char* AddressPrint() const;                              // throws std::bad_alloc
  std::vector<uint32_t> m_SubIds;
};

#endif  // HOST_CKELASN1ADDRESS_H_
