// The resolver wrappers against the real glibc resolver, answering from the
// sandbox's private hosts file.
#include <arpa/inet.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "host/ZWResolver.h"
#include "tests/support/TempDir.h"

namespace {

struct FreeText {
  void operator()(char* p) const { free(p); }
};
using Text = std::unique_ptr<char, FreeText>;

std::string Str(const Text& t) { return t ? std::string(t.get()) : std::string("<null>"); }

class ResolverTest : public ::testing::Test {
 protected:
  void SetUp() override { agent_.m_ValidAddr = &valid_; }
  void TearDown() override { agent_.m_ValidAddr = nullptr; }

  std::vector<std::string> IPv4List(const char* name) {
    std::vector<std::string> out;
    addrinfo* list = agent_.DIPv6GetIPv4AddressList(name);
    for (addrinfo* p = list; p != nullptr; p = p->ai_next) {
      char text[INET_ADDRSTRLEN];
      inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(p->ai_addr)->sin_addr, text, sizeof(text));
      out.push_back(text);
    }
    _ZWfreeaddrinfo(list);
    return out;
  }

  ScopedConfigDirs dirs_;
  CKelValidAddress valid_;
  CDiscoIPv6Agent agent_;
};

TEST_F(ResolverTest, NameWithTwoIPv4AddressesListsEachOnceInOrder) {
  EXPECT_EQ(IPv4List("multi.lab.example"),
            (std::vector<std::string>{"198.51.100.11", "198.51.100.12"}));
  Text first(agent_.DIPv6GetIPv4Address("multi.lab.example"));
  EXPECT_EQ(Str(first), "198.51.100.11");

  addrinfo* list = agent_.DIPv6GetIPv4AddressList("multi.lab.example");
  Text line(agent_.DIPv6AddressListToString(list));
  _ZWfreeaddrinfo(list);
  EXPECT_EQ(Str(line), "198.51.100.11,198.51.100.12");
}

TEST_F(ResolverTest, UnknownNamesGiveNothing) {
  KelErrorCapture errors;
  EXPECT_TRUE(IPv4List("nosuch.lab.example").empty());
  EXPECT_EQ(agent_.DIPv6GetIPv4Address("nosuch.lab.example"), nullptr);
  EXPECT_EQ(agent_.DIPv6GetIPv6Address("nosuch.lab.example"), nullptr);
  EXPECT_EQ(agent_.DIPv6AddressListToString(nullptr), nullptr);
  EXPECT_TRUE(errors.Reports().empty()) << "resolver failures are traced, not reported";
}

TEST_F(ResolverTest, IPv6AddressOfAName) {
  Text v6(agent_.DIPv6GetIPv6Address("r1-v6.lab.example"));
  EXPECT_EQ(Str(v6), "2001:db8:1::1");
  EXPECT_EQ(agent_.DIPv6GetIPv6Address("r1.lab.example"), nullptr) << "r1 has only IPv4";
}

TEST_F(ResolverTest, ReverseLookups) {
  struct Row {
    const char* address;
    const char* name;  // null: no reverse entry
  } rows[] = {
      {"198.51.100.10", "r1.lab.example"},
      {"2001:db8:1::1", "r1-v6.lab.example"},
      {"2001:0DB8:0001:0000:0000:0000:0000:0001", "r1-v6.lab.example"},
      {"2001:db8:1::5", "h5.lab.example"},
      {"2001:db8:2::5", nullptr},
      {"198.51.100.99", nullptr},
      {"not-an-address", nullptr},
      {"2001:db8::/32", nullptr},
  };
  for (const Row& row : rows) {
    KelErrorCapture errors;
    Text name(agent_.DIPv6GetNodename(row.address));
    if (row.name != nullptr) {
      EXPECT_EQ(Str(name), row.name) << row.address;
      EXPECT_TRUE(errors.Reports().empty()) << row.address;
    } else {
      EXPECT_EQ(name, nullptr) << row.address << " gave " << Str(name);
      EXPECT_EQ(errors.Count(-220439, "address-to-name failed "), 1) << row.address;
      EXPECT_EQ(errors.Reports().size(), 1u) << row.address;
    }
  }
}

TEST_F(ResolverTest, AtomFormAndNullArguments) {
  CKelAtom atom("198.51.100.10");
  Text name(agent_.DIPv6GetNodename(&atom));
  EXPECT_EQ(Str(name), "r1.lab.example");
  KelErrorCapture errors;
  EXPECT_EQ(agent_.DIPv6GetNodename(static_cast<CKelAtom*>(nullptr)), nullptr);
  EXPECT_EQ(agent_.DIPv6GetNodename(static_cast<const char*>(nullptr)), nullptr);
  EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(ResolverTest, UnknownFamilyLeavesBufferAndReportsTwice) {
  KelErrorCapture errors;
  char buffer[129] = "untouched";
  EXPECT_EQ(agent_.GetNameInfoForWindows("198.51.100.10", buffer, 5), 999);
  EXPECT_STREQ(buffer, "untouched");
  ASSERT_EQ(errors.Reports().size(), 2u);
  EXPECT_EQ(errors.Reports()[0].message,
            "Unknown family type specified for address-to-name translation");
  EXPECT_EQ(errors.Reports()[1].message, "address-to-name failed ");
}

TEST_F(ResolverTest, FailedTranslationIsNeverSuccess) {
  // Family 6 with IPv4 text and an unconvertible text must fail, not name "::".
  for (const char* text : {"198.51.100.10", "garbage", ""}) {
    KelErrorCapture errors;
    char buffer[129] = "untouched";
    EXPECT_NE(agent_.GetNameInfoForWindows(text, buffer, 6), 0) << text;
    EXPECT_STREQ(buffer, "untouched") << text;
    EXPECT_EQ(errors.Count(-220439, "address-to-name failed "), 1) << text;
  }
}

}  // namespace
