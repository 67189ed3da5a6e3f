// Index conversions: the input's first three bytes are a start and an end
// position and a prefix length (signed bytes; 0x7F and 0x80 for INT_MAX and
// INT_MIN as length), the rest the index's sub-identifiers, one byte each
// (0xFF: 2^32 - 1; 0xFE and four bytes: that big-endian number). The whole
// input is also read as dotted text. Checked besides ASan and UBSan: no
// conversion reads outside the index or its range, byte texts have three
// characters per octet, and dotted texts print and parse back unchanged.
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "fuzz/FuzzSupport.h"
#include "host/CKelASN1Address.h"

namespace {

std::string Take(char* text) {
  const std::string copy = text != nullptr ? text : "";
  free(text);
  return copy;
}

int Length(uint8_t byte) {
  const int8_t value = static_cast<int8_t>(byte);
  return value == 0x7F ? INT_MAX : value == -0x80 ? INT_MIN : value;
}

// KAAAddressPrint of `index` parses back to the same sub-identifiers.
void CheckRoundTrip(const CKelASN1Address& index) {
  const std::string text = Take(index.KAAAddressPrint());
  if (index.KAADepth() == 0) {
    FuzzCheck(text.empty(), "an empty index prints as an empty text");
    return;
  }
  std::unique_ptr<CKelASN1Address> back(CKelASN1Address::KAAFromString(text.c_str()));
  FuzzCheck(back != nullptr && back->KAAMatchAddress(&index) == E_KBTrue, "printed index parses back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp(4);
  static CDiscoIPv6Agent* agent = new CDiscoIPv6Agent();

  const std::string text(reinterpret_cast<const char*>(data), size);
  if (std::unique_ptr<CKelASN1Address> parsed{CKelASN1Address::KAAFromString(text.c_str())}) {
    CheckRoundTrip(*parsed);
  }
  if (size < 3) return 0;

  const int beg = static_cast<int8_t>(data[0]), end = static_cast<int8_t>(data[1]);
  const int length = Length(data[2]);
  std::vector<uint32_t> ids;
  for (size_t i = 3; i < size; ++i) {
    if (data[i] == 0xFF) {
      ids.push_back(0xFFFFFFFFu);
    } else if (data[i] == 0xFE && i + 4 < size) {
      ids.push_back(uint32_t(data[i + 1]) << 24 | uint32_t(data[i + 2]) << 16 | uint32_t(data[i + 3]) << 8 |
                    data[i + 4]);
      i += 4;
    } else {
      ids.push_back(data[i]);
    }
  }
  CKelASN1Address index(ids);
  const int depth = index.KAADepth();
  CheckRoundTrip(index);

  const std::string part = Take(agent->DIPv6GetPartOfASN(&index, beg, end));
  FuzzCheck(part.empty() || (beg >= 1 && end < depth && part.size() + 1 == 3u * (end - beg + 1)),
            "part of an index: three characters an octet, inside the index");
  std::unique_ptr<in6_addr, decltype(&free)> addr(agent->DIPv6GetAddrFromASN(&index, beg, end), free);
  if (addr != nullptr && beg <= end) {
    // At most 16 positions; a position outside the index reads 0.
    FuzzCheck(end - beg < 16, "address from an index: at most 16 positions");
    for (int pos = beg; pos <= end; ++pos) {
      const uint32_t octet = pos >= 0 && pos < depth ? ids[pos] : 0;
      FuzzCheck(addr->s6_addr[pos - beg] == octet, "address from an index: its octets, 0 past its ends");
    }
  }
  const std::string prefix = Take(agent->DIPv6GetPfxFromIndexIp(&index, length));
  FuzzCheck(prefix.empty() || prefix.size() == 47, "prefix of an index: 47 characters");
  return 0;
}
