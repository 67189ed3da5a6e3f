// Helpers shared by the address toolkit tests.
#ifndef TESTS_UNIT_IPV6_IPV6TESTUTIL_H_
#define TESTS_UNIT_IPV6_IPV6TESTUTIL_H_

#include <netinet/in.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/CKelASN1Address.h"
#include "tests/support/TempDir.h"

namespace ipv6test {

// What the helpers below give for an absent (null) text.
inline const std::string kNull = "<null>";

// Takes ownership of a malloc'ed result: its text (kNull for null), freed.
inline std::string Take(char* text) {
  if (text == nullptr) return kNull;
  std::string copy(text);
  free(text);
  return copy;
}

// The 16 octets of a malloc'ed address as 32 hex digits (kNull for null),
// freed.
inline std::string TakeHex(in6_addr* addr) {
  if (addr == nullptr) return kNull;
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : addr->s6_addr) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  free(addr);
  return hex;
}

// A row index of the address tables: interface index, then the octets.
inline CKelASN1Address Index(uint32_t ifIndex, const std::vector<uint32_t>& octets) {
  std::vector<uint32_t> ids{ifIndex};
  ids.insert(ids.end(), octets.begin(), octets.end());
  return CKelASN1Address(ids);
}

// The 16 octets of 2001:db8::1.
inline std::vector<uint32_t> DocOctets() {
  return {0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
}

// An agent whose constructor finds none of its files: the configuration
// directories point at empty folders for the fixture's lifetime.
class AgentTest : public ::testing::Test {
 protected:
  ScopedConfigDirs m_Dirs;
  CDiscoIPv6Agent m_Agent;
};

}  // namespace ipv6test

#endif  // TESTS_UNIT_IPV6_IPV6TESTUTIL_H_
