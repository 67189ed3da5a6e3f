// Strict readers of the numbers and octets written in recorded walks.
// Each gives false, leaving its output unchanged, for anything but the
// exact form. No state; safe from any thread.
#ifndef SNMP_TEXTNUMBERS_H_
#define SNMP_TEXTNUMBERS_H_

#include <cstdint>
#include <string>

namespace snmp {

// Decimal digits with an optional leading "-", within [min, max].
bool ParseSigned(const std::string& text, long long min, long long max, long long* out);
// Decimal digits, at most `max`.
bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long* out);
// Pairs of hex digits, optionally separated by blanks, line breaks or
// ":" ("" gives no octets).
bool ParseHexOctets(const std::string& text, std::string* out);
// "a.b.c.d" with each part 0 to 255, as 4 octets.
bool ParseDottedQuad(const std::string& text, std::string* out);

}  // namespace snmp

#endif  // SNMP_TEXTNUMBERS_H_
