// The portability layer: paths, address texts, sockets, the raw-socket
// switch and the resolver with its names overlay.
#include "host/ZWPlatform.h"

#include <arpa/inet.h>
#include <errno.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/ZWResolver.h"

namespace {

// Sets (or, given null, unsets) an environment variable for a scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_Name(name), m_Had(std::getenv(name) != nullptr) {
    if (m_Had) m_Old = std::getenv(name);
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { m_Had ? setenv(m_Name, m_Old.c_str(), 1) : unsetenv(m_Name); }

 private:
  const char* m_Name;
  bool m_Had;
  std::string m_Old;
};

TEST(ZWBuildPathTest, ExpandsPlaceholdersJoinsAndTurnsBackslashes) {
  struct Row {
    const char *etc, *var;  // ZW_ETC_PATH, ZW_VAR_PATH (null: unset)
    const char *directory, *file, *expected;
  } rows[] = {
      {"/opt/etc", "/opt/var", "%ZW_ETC_PATH%\\conf", "tovra\\IPv6.conf", "/opt/etc/conf/tovra/IPv6.conf"},
      {"/opt/etc", "/opt/var", "%ZW_VAR_PATH%\\databases", "tovra\\IPv6hosts.qar",
       "/opt/var/databases/tovra/IPv6hosts.qar"},
      {nullptr, nullptr, "%ZW_ETC_PATH%\\conf", "tovra\\IPv6Prefix.conf",
       ZW_DEFAULT_ETC_PATH "/conf/tovra/IPv6Prefix.conf"},
      {"", "", "%ZW_VAR_PATH%\\databases", "x", ZW_DEFAULT_VAR_PATH "/databases/x"},
      // Both placeholders, twice, and an unknown one left alone.
      {"/e", "/v", "%ZW_ETC_PATH%\\%ZW_VAR_PATH%\\%ZW_ETC_PATH%", "%ZW_OTHER%", "/e//v//e/%ZW_OTHER%"},
      // A directory that already ends with a separator gets no second one.
      {"/e", "/v", "/data/", "f", "/data/f"},
      {"/e", "/v", "C:\\data\\", "f", "C:/data/f"},
      // An empty directory leaves the file as it stands.
      {"/e", "/v", "", "rel\\f", "rel/f"},
      {"/e", "/v", "/d", "", "/d/"},
      // A placeholder value is used once, not searched again.
      {"%ZW_ETC_PATH%", "/v", "%ZW_ETC_PATH%", "f", "%ZW_ETC_PATH%/f"},
  };
  for (const Row& row : rows) {
    ScopedEnv etc("ZW_ETC_PATH", row.etc), var("ZW_VAR_PATH", row.var);
    const char* path = _ZWBuildPath(row.directory, row.file, 0);
    ASSERT_NE(path, nullptr) << row.directory << " + " << row.file;
    EXPECT_STREQ(path, row.expected) << "directory \"" << row.directory << "\", file \"" << row.file << "\"";
  }
  EXPECT_EQ(_ZWBuildPath(nullptr, "f", 0), nullptr);
  EXPECT_EQ(_ZWBuildPath("d", nullptr, 0), nullptr);
}

TEST(ZWInetTest, OtherFamiliesAndNullArgumentsAreRefusedTheRestIsTheSystems) {
  unsigned char bytes[16];
  char text[INET6_ADDRSTRLEN];
  struct Row {
    const char* what;
    long long got, want;
  } rows[] = {
      {"v4 text", _ZWinet_pton(AF_INET, "198.51.100.7", bytes), 1},
      {"v6 text", _ZWinet_pton(AF_INET6, "2001:0db8::1", bytes), 1},
      {"v4 text as v6", _ZWinet_pton(AF_INET6, "192.0.2.1", bytes), 0},
      {"other family", _ZWinet_pton(AF_UNIX, "192.0.2.1", bytes), -1},
      {"null text", _ZWinet_pton(AF_INET, nullptr, bytes), -1},
      {"null bytes", _ZWinet_pton(AF_INET, "1.2.3.4", nullptr), -1},
      {"ntop, other family", _ZWinet_ntop(AF_UNIX, bytes, text, sizeof text) != nullptr, 0},
      {"ntop, null bytes", _ZWinet_ntop(AF_INET6, nullptr, text, sizeof text) != nullptr, 0},
      {"ntop, too small", _ZWinet_ntop(AF_INET6, bytes, text, 4) != nullptr, 0},
      {"ntop, v6", _ZWinet_ntop(AF_INET6, bytes, text, sizeof text) != nullptr && text == std::string("2001:db8::1"), 1},
      {"close, not a socket", _ZWcloseSocket(-1), -1},
      {"WSAStartup without data", WSAStartup(MAKEWORD(2, 2), nullptr), 0},
  };
  for (const Row& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
  int sock = socket(AF_INET, SOCK_DGRAM, 0);
  EXPECT_EQ(_ZWcloseSocket(sock), 0);
  EXPECT_EQ(_ZWcloseSocket(sock), -1);  // already closed
  WSADATA data{0, 0};
  EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  EXPECT_EQ(data.wVersion, 0x0202);
}

TEST(ZWRawSocketsTest, SwitchedOffRefusesRawSocketsWithEperm) {
  EXPECT_TRUE(ZWRawSocketsAllowed());  // on by default
  ZWSetRawSocketsAllowed(false);
  EXPECT_FALSE(ZWRawSocketsAllowed());
  for (int type : {static_cast<int>(SOCK_RAW), SOCK_RAW | SOCK_CLOEXEC, SOCK_RAW | SOCK_NONBLOCK}) {
    for (int family : {AF_INET6, AF_INET}) {
      errno = 0;
      EXPECT_EQ(_ZWsocket(family, type, IPPROTO_ICMPV6), -1) << family << " " << type;
      EXPECT_EQ(errno, EPERM);
    }
  }
  int udp = _ZWsocket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);  // other sockets untouched
  EXPECT_GE(udp, 0) << errno;
  if (udp >= 0) close(udp);
  ZWSetRawSocketsAllowed(true);
}

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
    out.push_back(inet_ntop(p->ai_family, bytes, text, sizeof(text)));
  }
  _ZWfreeaddrinfo(res);
  return out;
}

std::string Reverse(const char* address) {
  sockaddr_storage ss{};
  socklen_t len = sizeof(sockaddr_in6);
  ss.ss_family = AF_INET6;
  if (inet_pton(AF_INET, address, &reinterpret_cast<sockaddr_in*>(&ss)->sin_addr) == 1) {
    ss.ss_family = AF_INET;
    len = sizeof(sockaddr_in);
  } else {
    inet_pton(AF_INET6, address, &reinterpret_cast<sockaddr_in6*>(&ss)->sin6_addr);
  }
  char host[129];
  int rc = _ZWgetnameinfo(reinterpret_cast<sockaddr*>(&ss), len, host, sizeof(host), nullptr, 0, NI_NAMEREQD);
  return rc == 0 ? host : "<" + std::string(_ZWgai_strerror(rc)) + ">";
}

TEST(ZWResolverTest, NumericAddressIsListedOnceAndErrorsPassThrough) {
  // Without a socket type the system resolver answers once per socket type.
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* system = nullptr;
  ASSERT_EQ(getaddrinfo("127.0.0.1", nullptr, &hints, &system), 0);
  ASSERT_NE(system->ai_next, nullptr) << "the premise of the de-duplication";
  freeaddrinfo(system);
  EXPECT_EQ(Resolve("127.0.0.1", AF_INET), std::vector<std::string>{"127.0.0.1"});
  EXPECT_EQ(Resolve("::1", AF_INET6), std::vector<std::string>{"::1"});

  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* res = reinterpret_cast<addrinfo*>(0x1);
  EXPECT_NE(_ZWgetaddrinfo("not a number", nullptr, &hints, &res), 0);
  EXPECT_EQ(res, reinterpret_cast<addrinfo*>(0x1)) << "untouched on failure";
  _ZWfreeaddrinfo(nullptr);
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : " ") + part;
  return out;
}

TEST(ZWResolverTest, OverlayAnswersInFileOrderAndLeavesTheRestToTheSystem) {
  ZWSetNamesOverlay(ZWNamesOverlay::FromText(
      "# lab\n"
      "192.0.2.1   core1.lab core1\n"
      "2001:db8::1 core1.lab\n"
      "192.0.2.2   core1.lab   # second address\n"
      "192.0.2.1   core1.lab\n"
      "192.0.2.1   other.lab\n"
      "not-an-address core1.lab\n"
      "2001:db8:0:0::9 core1-v6.lab\n"
      "198.51.100.7\n"));
  struct Row {
    const char* what;
    std::string got, want;
  } rows[] = {
      {"v4, in file order, once", Join(Resolve("core1.lab", AF_INET)), "192.0.2.1 192.0.2.2"},
      {"alias, any case", Join(Resolve("CORE1", AF_INET)), "192.0.2.1"},
      {"v6", Join(Resolve("core1.lab", AF_INET6)), "2001:db8::1"},
      {"both families", Join(Resolve("core1.lab", AF_UNSPEC)), "192.0.2.1 2001:db8::1 192.0.2.2"},
      {"unknown to the overlay", Join(Resolve("127.0.0.1", AF_INET)), "127.0.0.1"},
      {"reverse: first name of the first line", Reverse("192.0.2.1"), "core1.lab"},
      {"reverse v6", Reverse("2001:0db8::0009"), "core1-v6.lab"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
  ZWSetNamesOverlay(nullptr);
  EXPECT_NE(Reverse("192.0.2.1"), "core1.lab");
  std::string error;
  EXPECT_EQ(ZWNamesOverlay::FromFile("/nonexistent/hosts", &error), nullptr);
  EXPECT_EQ(error, "cannot read /nonexistent/hosts: No such file or directory");
}

}  // namespace
