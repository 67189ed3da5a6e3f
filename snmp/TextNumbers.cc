#include "snmp/TextNumbers.h"

#include <cctype>

namespace snmp {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ':'; }

}  // namespace

bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long* out) {
  if (text.empty()) return false;
  unsigned long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (max - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *out = value;
  return true;
}

bool ParseSigned(const std::string& text, long long min, long long max, long long* out) {
  const bool negative = !text.empty() && text[0] == '-';
  unsigned long long magnitude = 0;
  const unsigned long long limit =
      negative ? 0ull - static_cast<unsigned long long>(min) : static_cast<unsigned long long>(max);
  if ((negative && min >= 0) || !ParseUnsigned(text.substr(negative ? 1 : 0), limit, &magnitude)) {
    return false;
  }
  *out = negative ? static_cast<long long>(0ull - magnitude) : static_cast<long long>(magnitude);
  return true;
}

bool ParseHexOctets(const std::string& text, std::string* out) {
  std::string octets;
  size_t i = 0;
  while (i < text.size()) {
    if (IsSeparator(text[i])) {
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return false;
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    octets += static_cast<char>(high * 16 + low);
    i += 2;
    if (i < text.size() && !IsSeparator(text[i]) && HexDigit(text[i]) < 0) return false;
  }
  *out = std::move(octets);
  return true;
}

bool ParseDottedQuad(const std::string& text, std::string* out) {
  std::string octets;
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = part < 3 ? text.find('.', start) : text.size();
    if (dot == std::string::npos) return false;
    unsigned long long value = 0;
    if (!ParseUnsigned(text.substr(start, dot - start), 255, &value)) return false;
    octets += static_cast<char>(value);
    start = dot + 1;
  }
  *out = std::move(octets);
  return true;
}

}  // namespace snmp
