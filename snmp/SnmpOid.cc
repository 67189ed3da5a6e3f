#include "snmp/SnmpOid.h"

#include <algorithm>

namespace snmp {

bool ParseOid(const std::string& text, Oid* out) {
  size_t pos = (!text.empty() && text[0] == '.') ? 1 : 0;
  if (pos >= text.size()) return false;
  Oid parsed;
  while (true) {
    uint64_t value = 0;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + static_cast<uint64_t>(text[pos] - '0');
      if (value > UINT32_MAX) return false;
      ++pos;
      ++digits;
    }
    if (digits == 0) return false;
    parsed.push_back(static_cast<uint32_t>(value));
    if (pos == text.size()) break;
    if (text[pos] != '.') return false;
    ++pos;
  }
  *out = std::move(parsed);
  return true;
}

std::string OidText(const Oid& oid) {
  std::string text;
  for (size_t i = 0; i < oid.size(); ++i) {
    if (i != 0) text += '.';
    text += std::to_string(oid[i]);
  }
  return text;
}

bool OidIsUnder(const Oid& oid, const Oid& prefix) {
  return oid.size() > prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

Oid OidSuffix(const Oid& oid, size_t prefixLength) {
  if (prefixLength >= oid.size()) return Oid();
  return Oid(oid.begin() + static_cast<std::ptrdiff_t>(prefixLength), oid.end());
}

}  // namespace snmp
