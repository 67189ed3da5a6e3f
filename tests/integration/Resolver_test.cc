// The resolver wrappers against the real glibc resolver, answering from the
// sandbox's private hosts file (fixtures/hosts).
#include <cstdlib>
#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "host/ZWResolver.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ResolverTest, ForwardAndReverseLookupsAnswerFromTheHostsFile) {
  ScopedConfigDirs dirs;
  CKelValidAddress valid;
  CDiscoIPv6Agent agent;
  agent.m_ValidAddr = &valid;  // tells IPv4 from IPv6 text for address-to-name
  struct Row { std::string lookup; const char* input, *expected; } rows[] = {  // null: nothing found
      // glibc gives one entry per socket type: each address must be listed once, in order.
      {"IPv4 list", "multi.lab.example", "198.51.100.11,198.51.100.12"},
      {"IPv4", "multi.lab.example", "198.51.100.11"},
      {"IPv6", "r1-v6.lab.example", "2001:db8:1::1"},
      {"IPv6", "r1.lab.example", nullptr},  // IPv4 only
      {"IPv4 list", "nosuch.lab.example", nullptr}, {"IPv4", "nosuch.lab.example", nullptr},
      {"name", "198.51.100.10", "r1.lab.example"}, {"name", "2001:db8:1::1", "r1-v6.lab.example"},
      {"name", "2001:0DB8:0001:0000:0000:0000:0000:0001", "r1-v6.lab.example"},
      {"name", "2001:db8:2::5", nullptr}, {"name", "198.51.100.99", nullptr},
      {"name", "not-an-address", nullptr}, {"name", "2001:db8::/32", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lookup + " of " + row.input);
    KelErrorCapture errors;
    char* got = nullptr;
    if (row.lookup == "IPv4 list") {
      addrinfo* list = agent.DIPv6GetIPv4AddressList(row.input);
      got = agent.DIPv6AddressListToString(list);
      _ZWfreeaddrinfo(list);
    } else {
      got = row.lookup == "IPv4"   ? agent.DIPv6GetIPv4Address(row.input)
            : row.lookup == "IPv6" ? agent.DIPv6GetIPv6Address(row.input)
                                   : agent.DIPv6GetNodename(row.input);
    }
    EXPECT_STREQ(got, row.expected);
    free(got);
    // Only a failed address-to-name translation is reported; other failures are traced.
    const bool reported = row.lookup == "name" && row.expected == nullptr;
    EXPECT_EQ(errors.Reports().size(), reported ? 1u : 0u);
    EXPECT_EQ(errors.Count(-220439, "address-to-name failed "), reported ? 1 : 0);
  }
}

}  // namespace
