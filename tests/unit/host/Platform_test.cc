// The platform layer: error scopes, trace lines, threads, paths, address texts, raw sockets, the resolver.
#include <arpa/inet.h>
#include <errno.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/KelError.h"
#include "host/KelLock.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "host/ZWNameWarmer.h"
#include "host/ZWResolver.h"

namespace {

TEST(KelErrorTest, ThreadScopeSeesOnlyItsOwnThreadAndClosesInAnyOrder) {
  KelErrorCapture quiet;
  KelThreadErrorScope outer;
  std::thread([] { KelThreadErrorScope mine; CKelError(1, "worker.cc", 1); EXPECT_EQ(mine.Reports().size(), 1u); }).join();
  auto *a = new KelThreadErrorScope(), *b = new KelThreadErrorScope();
  delete a;  // out of order: still unlinks itself
  CKelError(3, "x.cc", 3);
  EXPECT_EQ(b->Reports().size(), 1u);
  delete b;
  CKelError(4, "x.cc", 4);
  EXPECT_EQ(outer.Reports().size(), 2u);
}

TEST(KelTraceTest, LevelGatesWholeLines) {
  struct Row { int threshold, level; bool written; } rows[] = {{0, 1, false}, {0, 0, true}, {3, 2, true}, {3, 4, false}, {4, 4, true}};
  for (const Row& row : rows) {
    KelTraceCapture capture(row.threshold);
    genXPLTrace("line", row.level);
    genXPLTracef(row.level, "f%d", row.level);
    EXPECT_EQ(capture.Text(), row.written ? "linef" + std::to_string(row.level) : "") << row.threshold << " " << row.level;
  }
  FILE* file = tmpfile();  // a file gets whole lines
  KelWriteTraceLine(file, "a"), KelWriteTraceLine(file, "b\n"), KelWriteTraceLine(file, "");
  char text[16] = "";
  rewind(file);
  EXPECT_EQ(std::string(text, fread(text, 1, sizeof text, file)), "a\nb\n");
  fclose(file);
}

TEST(CKelThreadTest, StartRunsWorkOnceAndJoinWaitsForIt) {
  CKelThread thread;
  std::atomic<int> runs{0};
  auto work = [&] { std::this_thread::sleep_for(std::chrono::milliseconds(20)), ++runs; };
  EXPECT_EQ(thread.KTStart(work) + thread.KTStart(work), 1);  // the second is refused while the first runs
  thread.KTJoin();
  EXPECT_EQ(runs, 1);
}

TEST(ZWBuildPathTest, ExpandsPlaceholdersJoinsAndTurnsBackslashes) {
  struct Row { const char *etc, *var, *directory, *file, *expected; } rows[] = {  // ZW_ETC_PATH, ZW_VAR_PATH (null: unset)
      {"/opt/etc", "/opt/var", "%ZW_ETC_PATH%\\conf", "tovra\\IPv6.conf", "/opt/etc/conf/tovra/IPv6.conf"},
      {nullptr, nullptr, "%ZW_ETC_PATH%\\conf", "f", ZW_DEFAULT_ETC_PATH "/conf/f"},
      {"", "", "%ZW_VAR_PATH%\\db", "x", ZW_DEFAULT_VAR_PATH "/db/x"},
      {"/e", "/v", "%ZW_ETC_PATH%\\%ZW_VAR_PATH%\\%ZW_ETC_PATH%", "%ZW_OTHER%", "/e//v//e/%ZW_OTHER%"},  // unknown ones stay
      {"/e", "/v", "C:\\data\\", "f", "C:/data/f"},  // no second separator
      {"%ZW_ETC_PATH%", "/v", "%ZW_ETC_PATH%", "f", "%ZW_ETC_PATH%/f"},  // a value is not searched again
  };
  for (const Row& row : rows) {
    row.etc ? setenv("ZW_ETC_PATH", row.etc, 1) : unsetenv("ZW_ETC_PATH");
    row.var ? setenv("ZW_VAR_PATH", row.var, 1) : unsetenv("ZW_VAR_PATH");
    const char* path = _ZWBuildPath(row.directory, row.file, 0);
    EXPECT_STREQ(path ? path : "<null>", row.expected) << row.directory << " + " << row.file;
  }
  EXPECT_EQ(_ZWBuildPath(nullptr, "f", 0), nullptr);
}

TEST(ZWInetTest, NullTextIsRefused) {  // the conversions themselves serve every address test
  unsigned char bytes[16];
  EXPECT_EQ(_ZWinet_pton(AF_INET, nullptr, bytes), -1);
}

TEST(ZWRawSocketsTest, SwitchedOffRefusesRawSocketsWithEperm) {
  ZWSetRawSocketsAllowed(false);
  EXPECT_EQ(_ZWsocket(AF_INET6, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMPV6), -1);
  EXPECT_EQ(errno, EPERM);
  int udp = _ZWsocket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);  // other sockets untouched
  EXPECT_GE(udp, 0) << errno;
  close(udp);
  ZWSetRawSocketsAllowed(true);
}

// The addresses a lookup gives, in order; reversed, the name its first address has.
std::string Lookup(const char* node, int family, bool reverse = false) {
  addrinfo hints{}, *res = nullptr;
  hints.ai_family = family;
  if (_ZWgetaddrinfo(node, nullptr, &hints, &res) != 0) return "<error>";
  std::string out;
  char text[NI_MAXHOST];
  for (addrinfo* p = res; p != nullptr; p = reverse ? nullptr : p->ai_next) {
    int rc = reverse ? _ZWgetnameinfo(p->ai_addr, p->ai_addrlen, text, sizeof text, nullptr, 0, NI_NAMEREQD)
                     : getnameinfo(p->ai_addr, p->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST);
    out += (out.empty() ? "" : " ") + std::string(rc == 0 ? text : "<error>");
  }
  _ZWfreeaddrinfo(res);
  return out;
}

TEST(ZWResolverTest, NumericAddressIsListedOnceOverlayAnswersInFileOrderAndTimeIsCountedPerThread) {
  const double before = ZWLookupSeconds();
  const char kHosts[] = "# lab\n192.0.2.1   core1.lab core1\n2001:db8::1 core1.lab\n"
                        "192.0.2.2   core1.lab   # second address\n192.0.2.1   core1.lab\n192.0.2.1   other.lab\n"
                        "not-an-address core1.lab\n2001:db8:0:0::9 core1-v6.lab\n198.51.100.7\n192.0.2.1\0 x\n";
  std::vector<ZWUnusedLine> unused;
  ZWSetNamesOverlay(ZWNamesOverlay::FromText(std::string(kHosts, sizeof kHosts - 1), &unused));
  std::string told;
  for (const ZWUnusedLine& u : unused) told += std::to_string(u.line) + " " + u.why + ";";
  EXPECT_EQ(told, "7 ignored: the first word is not an IPv4 or IPv6 address;9 ignored: no name after the address;"
                  "10 ignored: it holds a NUL byte;");
  struct Row { const char* what; std::string got, want; } rows[] = {
      {"numeric v4, once (the system answers once per socket type)", Lookup("127.0.0.1", AF_INET), "127.0.0.1"},
      {"v4, in file order, once", Lookup("core1.lab", AF_INET), "192.0.2.1 192.0.2.2"},
      {"alias, any case", Lookup("CORE1", AF_INET), "192.0.2.1"},
      {"v6", Lookup("core1.lab", AF_INET6), "2001:db8::1"},
      {"both families", Lookup("core1.lab", AF_UNSPEC), "192.0.2.1 2001:db8::1 192.0.2.2"},
      {"reverse: first name of the first line", Lookup("192.0.2.1", AF_UNSPEC, true), "core1.lab"},
      {"reverse v6", Lookup("2001:0db8::0009", AF_UNSPEC, true), "core1-v6.lab"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
  ZWSetNamesOverlay(nullptr);
  EXPECT_EQ(Lookup("192.0.2.1", AF_UNSPEC, true), "<error>");
  EXPECT_GT(ZWLookupSeconds(), before);
  std::thread([] { EXPECT_EQ(ZWLookupSeconds(), 0.0); }).join();
}

TEST(ZWResolverTest, WithTheCacheEachQuestionIsAskedOnceWhateverTheThreads) {
  ZWSetNamesOverlay(ZWNamesOverlay::FromText("192.0.2.1 core1.lab\n"));
  const std::vector<std::pair<std::string, int>> questions = {{"core1.lab", AF_INET}, {"192.0.2.1", AF_UNSPEC},
                                                              {"no.such.name", AF_INET}, {"192.0.2.9", AF_UNSPEC}};
  std::vector<std::string> uncached;
  for (const auto& [text, family] : questions) uncached.push_back(Lookup(text.c_str(), family, family == AF_UNSPEC));
  ZWSetLookupCache(true);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < 20; ++round) {
        for (size_t q = 0; q < questions.size(); ++q) {
          const auto& [text, family] = questions[q];
          EXPECT_EQ(Lookup(text.c_str(), family, family == AF_UNSPEC), uncached[q]) << text;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(ZWLookupsAsked(), 6);  // forward for each text, reverse for the two addresses
  ZWSetLookupCache(false);
  ZWSetNamesOverlay(nullptr);
}

TEST(ZWResolverTest, WarmedNamesAreAskedAheadAndAnsweredFromTheCache) {
  ZWSetNamesOverlay(ZWNamesOverlay::FromText("2001:db8::1 r1.lab\n2001:db8::2 r2.lab\n192.0.2.7 ne.lab\n"));
  ZWSetLookupCache(true);
  std::vector<in6_addr> warm(3);
  for (int i = 0; i < 3; ++i) inet_pton(AF_INET6, ("2001:db8::" + std::to_string(i + 1)).c_str(), &warm[i]);
  in_addr ne;
  inet_pton(AF_INET, "192.0.2.7", &ne);
  ZWWarmAddressNames(warm);
  ZWWarmIPv4AddressNames({ne});
  // Four names asked, and the IPv4 addresses of the three found.
  for (int i = 0; i < 500 && ZWLookupsAsked() < 7; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ZWLookupsAsked(), 7);
  // Each lookup now asks only the forward question of its text.
  EXPECT_EQ(Lookup("2001:db8::1", AF_INET6, true) + Lookup("2001:db8::3", AF_INET6, true) + Lookup("192.0.2.7", AF_INET, true),
            "r1.lab<error>ne.lab");
  EXPECT_EQ(Lookup("r2.lab", AF_INET) + Lookup("ne.lab", AF_INET), "<error>192.0.2.7");  // warmed
  EXPECT_EQ(ZWLookupsAsked(), 10);
  ZWSetLookupCache(false);
  ZWSetNamesOverlay(nullptr);
}

}  // namespace
