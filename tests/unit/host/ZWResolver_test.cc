// The portability layer's resolver: one entry per address, and the names
// overlay consulted before the system resolver.
#include "host/ZWResolver.h"

#include <arpa/inet.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace {

std::vector<std::string> Resolve(const char* node, int family) {
  addrinfo hints{};
  hints.ai_family = family;
  addrinfo* res = nullptr;
  std::vector<std::string> out;
  if (_ZWgetaddrinfo(node, nullptr, &hints, &res) != 0) return out;
  for (addrinfo* p = res; p != nullptr; p = p->ai_next) {
    char text[INET6_ADDRSTRLEN];
    const void* bytes = p->ai_family == AF_INET
                            ? static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(p->ai_addr)->sin_addr)
                            : static_cast<const void*>(&reinterpret_cast<sockaddr_in6*>(p->ai_addr)->sin6_addr);
    inet_ntop(p->ai_family, bytes, text, sizeof(text));
    out.push_back(text);
  }
  _ZWfreeaddrinfo(res);
  return out;
}

std::string Reverse(const char* address) {
  sockaddr_storage ss{};
  socklen_t len;
  if (inet_pton(AF_INET, address, &reinterpret_cast<sockaddr_in*>(&ss)->sin_addr) == 1) {
    ss.ss_family = AF_INET;
    len = sizeof(sockaddr_in);
  } else {
    inet_pton(AF_INET6, address, &reinterpret_cast<sockaddr_in6*>(&ss)->sin6_addr);
    ss.ss_family = AF_INET6;
    len = sizeof(sockaddr_in6);
  }
  char host[129];
  int rc = _ZWgetnameinfo(reinterpret_cast<sockaddr*>(&ss), len, host, sizeof(host), nullptr, 0,
                          NI_NAMEREQD);
  return rc == 0 ? host : "<" + std::string(_ZWgai_strerror(rc)) + ">";
}

class OverlayTest : public ::testing::Test {
 protected:
  void TearDown() override { ZWSetNamesOverlay(nullptr); }
};

TEST(ZWResolverTest, NumericAddressIsListedOnceDespiteSocketTypes) {
  // Without a socket type the system resolver answers once per socket type.
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* system = nullptr;
  ASSERT_EQ(getaddrinfo("127.0.0.1", nullptr, &hints, &system), 0);
  int systemCount = 0;
  for (addrinfo* p = system; p != nullptr; p = p->ai_next) ++systemCount;
  freeaddrinfo(system);
  EXPECT_GT(systemCount, 1) << "the premise of the de-duplication";

  EXPECT_EQ(Resolve("127.0.0.1", AF_INET), std::vector<std::string>{"127.0.0.1"});
  EXPECT_EQ(Resolve("::1", AF_INET6), std::vector<std::string>{"::1"});
}

TEST(ZWResolverTest, ErrorsPassThrough) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* res = reinterpret_cast<addrinfo*>(0x1);
  EXPECT_NE(_ZWgetaddrinfo("not a number", nullptr, &hints, &res), 0);
  EXPECT_EQ(res, reinterpret_cast<addrinfo*>(0x1)) << "untouched on failure";
  _ZWfreeaddrinfo(nullptr);
}

TEST_F(OverlayTest, ForwardLookupsInFileOrderPerFamily) {
  ZWSetNamesOverlay(ZWNamesOverlay::FromText(
      "# lab\n"
      "192.0.2.1   core1.lab core1\n"
      "2001:db8::1 core1.lab\n"
      "192.0.2.2   core1.lab   # second address\n"
      "192.0.2.1   core1.lab\n"
      "not-an-address core1.lab\n"
      "198.51.100.7\n"));
  EXPECT_EQ(Resolve("core1.lab", AF_INET), (std::vector<std::string>{"192.0.2.1", "192.0.2.2"}));
  EXPECT_EQ(Resolve("CORE1", AF_INET), std::vector<std::string>{"192.0.2.1"});
  EXPECT_EQ(Resolve("core1.lab", AF_INET6), std::vector<std::string>{"2001:db8::1"});
  EXPECT_EQ(Resolve("core1.lab", AF_UNSPEC),
            (std::vector<std::string>{"192.0.2.1", "2001:db8::1", "192.0.2.2"}));
  // What the overlay does not know goes on to the system resolver.
  EXPECT_EQ(Resolve("127.0.0.1", AF_INET), std::vector<std::string>{"127.0.0.1"});
}

TEST_F(OverlayTest, ReverseLookupsGiveFirstNameOfFirstLine) {
  ZWSetNamesOverlay(ZWNamesOverlay::FromText(
      "192.0.2.1 core1.lab core1\n"
      "192.0.2.1 other.lab\n"
      "2001:db8:0:0::1 core1-v6.lab\n"));
  EXPECT_EQ(Reverse("192.0.2.1"), "core1.lab");
  EXPECT_EQ(Reverse("2001:0db8::0001"), "core1-v6.lab");
  ZWSetNamesOverlay(nullptr);
  EXPECT_NE(Reverse("192.0.2.1"), "core1.lab");
}

TEST_F(OverlayTest, MissingFileIsAnError) {
  std::string error;
  EXPECT_EQ(ZWNamesOverlay::FromFile("/nonexistent/hosts", &error), nullptr);
  EXPECT_EQ(error, "cannot read /nonexistent/hosts: No such file or directory");
}

}  // namespace
