#include "host/ZWPlatform.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

// Sets or unsets an environment variable for the scope of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_Name(name) {
    const char* old = std::getenv(name);
    m_Had = old != nullptr;
    if (m_Had) m_Old = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (m_Had) {
      setenv(m_Name, m_Old.c_str(), 1);
    } else {
      unsetenv(m_Name);
    }
  }

 private:
  const char* m_Name;
  bool m_Had;
  std::string m_Old;
};

TEST(ZWBuildPathTest, ExpandsPlaceholdersJoinsAndTurnsBackslashes) {
  struct Row {
    const char* etc;  // ZW_ETC_PATH (null: unset)
    const char* var;  // ZW_VAR_PATH (null: unset)
    const char* directory;
    const char* file;
    const char* expected;
  } rows[] = {
      {"/opt/etc", "/opt/var", "%ZW_ETC_PATH%\\conf", "tovra\\IPv6.conf",
       "/opt/etc/conf/tovra/IPv6.conf"},
      {"/opt/etc", "/opt/var", "%ZW_VAR_PATH%\\databases", "tovra\\IPv6hosts.qar",
       "/opt/var/databases/tovra/IPv6hosts.qar"},
      {nullptr, nullptr, "%ZW_ETC_PATH%\\conf", "tovra\\IPv6Prefix.conf",
       ZW_DEFAULT_ETC_PATH "/conf/tovra/IPv6Prefix.conf"},
      {"", "", "%ZW_VAR_PATH%\\databases", "x", ZW_DEFAULT_VAR_PATH "/databases/x"},
      // Both placeholders, twice, and an unknown one left alone.
      {"/e", "/v", "%ZW_ETC_PATH%\\%ZW_VAR_PATH%\\%ZW_ETC_PATH%", "%ZW_OTHER%",
       "/e//v//e/%ZW_OTHER%"},
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
    ScopedEnv etc("ZW_ETC_PATH", row.etc);
    ScopedEnv var("ZW_VAR_PATH", row.var);
    const char* path = _ZWBuildPath(row.directory, row.file, 0);
    ASSERT_NE(path, nullptr) << row.directory << " + " << row.file;
    EXPECT_STREQ(path, row.expected) << "directory \"" << row.directory << "\", file \""
                                     << row.file << "\"";
  }
}

TEST(ZWBuildPathTest, NullArgumentsGiveNull) {
  EXPECT_EQ(_ZWBuildPath(nullptr, "f", 0), nullptr);
  EXPECT_EQ(_ZWBuildPath("d", nullptr, 0), nullptr);
}

TEST(ZWBuildPathTest, ResultBelongsToTheCallingThread) {
  ScopedEnv etc("ZW_ETC_PATH", "/e");
  const char* mine = _ZWBuildPath("%ZW_ETC_PATH%", "main", 0);
  std::string other;
  std::thread([&] { other = _ZWBuildPath("/elsewhere", "thread", 0); }).join();
  EXPECT_STREQ(mine, "/e/main");  // untouched by the other thread's call
  EXPECT_EQ(other, "/elsewhere/thread");
}

TEST(ZWInetTest, PtonAcceptsOnlyValidTextOfTheFamily) {
  struct Row {
    int family;
    const char* text;
    int expected;
  } rows[] = {
      {AF_INET, "192.0.2.1", 1},   {AF_INET, "256.0.0.1", 0},   {AF_INET, "1.2.3", 0},
      {AF_INET, "::1", 0},         {AF_INET6, "2001:db8::1", 1}, {AF_INET6, "::ffff:1.2.3.4", 1},
      {AF_INET6, "2001:db8::1::2", 0}, {AF_INET6, "192.0.2.1", 0}, {AF_UNIX, "192.0.2.1", -1},
      {AF_INET, nullptr, -1},
  };
  for (const Row& row : rows) {
    unsigned char buffer[16];
    EXPECT_EQ(_ZWinet_pton(row.family, row.text, buffer), row.expected)
        << "family " << row.family << " text " << (row.text ? row.text : "<null>");
  }
  EXPECT_EQ(_ZWinet_pton(AF_INET, "1.2.3.4", nullptr), -1);
}

TEST(ZWInetTest, NtopRoundTripsAndRefusesSmallBuffers) {
  unsigned char v6[16];
  ASSERT_EQ(_ZWinet_pton(AF_INET6, "2001:0db8:0:0:0:0:0:0001", v6), 1);
  char text[INET6_ADDRSTRLEN];
  EXPECT_EQ(_ZWinet_ntop(AF_INET6, v6, text, sizeof text), text);
  EXPECT_STREQ(text, "2001:db8::1");

  unsigned char v4[4];
  ASSERT_EQ(_ZWinet_pton(AF_INET, "198.51.100.7", v4), 1);
  EXPECT_EQ(v4[0], 198);
  EXPECT_EQ(v4[3], 7);
  EXPECT_STREQ(_ZWinet_ntop(AF_INET, v4, text, sizeof text), "198.51.100.7");

  char small[4];
  EXPECT_EQ(_ZWinet_ntop(AF_INET6, v6, small, sizeof small), nullptr);
  EXPECT_EQ(_ZWinet_ntop(AF_UNIX, v6, text, sizeof text), nullptr);
  EXPECT_EQ(_ZWinet_ntop(AF_INET6, nullptr, text, sizeof text), nullptr);
}

TEST(ZWSocketTest, CloseSocketClosesOnce) {
  int sock = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(sock, 0);
  EXPECT_EQ(_ZWcloseSocket(sock), 0);
  EXPECT_EQ(_ZWcloseSocket(sock), -1);  // already closed
  EXPECT_EQ(_ZWcloseSocket(-1), -1);
}

TEST(ZWSocketTest, WsaStartupAndCleanupSucceed) {
  WSADATA data{0, 0};
  EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  EXPECT_EQ(data.wVersion, 0x0202);
  EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), nullptr), 0);
  EXPECT_EQ(WSACleanup(), 0);
}

}  // namespace
