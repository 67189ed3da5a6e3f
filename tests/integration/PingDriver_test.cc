// The ping driver with real packets inside the sandbox: echo requests to named addresses on loopback,
// replies switched on and off, and the probing of the remembered hosts of a prefix.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelTrace.h"
#include "host/ZWResolver.h"
#include "icmp6/Icmp6Echo.h"
#include "tests/integration/EchoSniffer.h"
#include "tests/support/TempDir.h"

namespace {

using icmp6test::EchoRepliesOff;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct PingDriverTest : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(sniffer_.Ok()) << "no raw socket: " << strerror(errno); }
  ScopedConfigDirs dirs_;
  icmp6test::EchoSniffer sniffer_;
  CDiscoIPv6Agent agent_;
};

TEST_F(PingDriverTest, ConfirmedPingToNamedAddressGetsItsReply) {
  for (const char* address : {"2001:db8:1::5", "2001:0DB8:0001:0000:0000:0000:0000:0005", "2001:db8:1::1"}) {
    EXPECT_EQ(agent_.DIPv6PingAddress(address, E_KBTrue, 3, 0), 1) << address;
    const std::vector<icmp6test::SeenEcho> seen = sniffer_.Collect();
    ASSERT_EQ(seen.size(), 1u) << address;
    icmp6test::Destination dest(address);
    EXPECT_TRUE(IN6_ARE_ADDR_EQUAL(&seen[0].destination, &dest.to.sin6_addr)) << address;
    EXPECT_TRUE(icmp6test::ChecksumVerifies(seen[0])) << address;
    // What the agent builds itself for that destination is exactly what went out.
    char built[kIcmp6EchoSize];
    InitIcmp6Header(built, kIcmp6EchoDataSize, static_cast<int>(getpid()));
    ComputeIcmpChecksum(0, built, kIcmp6EchoSize, &dest);
    EXPECT_EQ(std::vector<uint8_t>(built, built + kIcmp6EchoSize), seen[0].bytes) << address;
  }
}

// Other ICMPv6 traffic: `senders` threads sending echo requests to ::1 as fast as they can while it lives.
class Flood {
 public:
  explicit Flood(int senders) {
    for (int i = 0; i < senders; ++i) {
      m_Threads.emplace_back([this] {
        const int fd = socket(AF_INET6, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMPV6);
        icmp6test::Destination loopback("::1");
        char request[kIcmp6EchoSize];
        InitIcmp6Header(request, kIcmp6EchoDataSize, static_cast<int>(getpid()) + 1);  // not the ping's own
        while (!m_Stop) sendto(fd, request, sizeof request, 0, loopback.ai_addr, loopback.ai_addrlen);
        close(fd);
      });
    }
  }
  ~Flood() {
    m_Stop = true;
    for (std::thread& t : m_Threads) t.join();
  }

 private:
  std::atomic<bool> m_Stop{false};
  std::vector<std::thread> m_Threads;
};

TEST_F(PingDriverTest, LimitsBelowOneSecondAreHonoured) {
  // The ping's own request reaches its socket first; the wait goes on for the reply after it.
  const struct { const char* what; bool off; int flood; __boolean confirm; int s, us, result; double least, below; }
  rows[] = {
      {"replies off, 1.3 s", true, 0, E_KBTrue, 1, 300000, 0, 1.29, 1.8},
      {"replies off, 0.3 s", true, 0, E_KBTrue, 0, 300000, 0, 0.29, 0.9},
      {"reply within 0.8 s", false, 0, E_KBTrue, 0, 800000, 1, 0, 0.9},
      {"unconfirmed returns at once", true, 0, E_KBFalse, 30, 0, 1, 0, 1.0},
      {"0.3 s under a flood of other messages", true, 4, E_KBTrue, 0, 300000, 0, 0.29, 0.4},
  };
  for (const auto& row : rows) {
    std::unique_ptr<EchoRepliesOff> off(row.off ? new EchoRepliesOff : nullptr);
    ASSERT_TRUE(off == nullptr || off->Ok());
    KelTraceCapture trace(4);
    std::unique_ptr<Flood> flood(row.flood > 0 ? new Flood(row.flood) : nullptr);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(agent_.DIPv6PingAddress("2001:db8:1::5", row.confirm, row.s, row.us), row.result) << row.what;
    const double took = SecondsSince(start);
    flood.reset();
    EXPECT_TRUE(took >= row.least && took < row.below) << row.what << ": " << took << " s";
    EXPECT_EQ(trace.Count("Ping timeout!"), row.result == 0 ? 1 : 0) << row.what;
    EXPECT_TRUE(row.flood > 0 || sniffer_.Collect().size() == 1u) << row.what << ": the request went out";
  }
}

std::atomic<int> g_Signals{0};

TEST_F(PingDriverTest, InterruptedWaitGoesOnWithTheTimeLeft) {
  EchoRepliesOff off;
  ASSERT_TRUE(off.Ok());
  struct sigaction act{}, previous{};
  act.sa_handler = [](int) { ++g_Signals; };  // no SA_RESTART: waits end with EINTR
  sigaction(SIGUSR1, &act, &previous);
  std::atomic<bool> stop{false};
  std::thread storm([&stop, target = pthread_self()] {
    for (; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(20))) pthread_kill(target, SIGUSR1);
  });
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(agent_.DIPv6PingAddress("2001:db8:1::5", E_KBTrue, 1, 0), 0);
  const double took = SecondsSince(start);
  stop = true;
  storm.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_GT(g_Signals, 10) << "the wait was not interrupted";
  EXPECT_GE(took, 0.99) << "an interrupted wait must go on";
  EXPECT_LT(took, 1.5) << "an interrupted wait must not start over";
}

TEST_F(PingDriverTest, PingMatchedProbesTheNamedRememberedHostsOnThePrefix) {
  const std::string h15 = "2001:db8:1::5", h25 = "2001:db8:2::5";
  const char* local = "2001:0DB8:0001:0000:0000:0000:0000:0001";
  dirs_.WriteHostHistory(h15 + "\n" + h25 + "\n");
  using Hosts = std::set<std::string>;
  const struct { bool named; const char* address; int length; Hosts probed; } rows[] = {
      {true, local, 64, {h15}}, {true, local, 32, {h15, h25}}, {true, nullptr, 64, {}},
      {false, local, 32, {h15}},  // 2001:db8:2::5 unnamed, as in the sandbox's hosts file
  };
  for (const auto& row : rows) {
    const std::string shown = std::string(row.address ? row.address : "") + "/" + std::to_string(row.length) +
                              (row.named ? "" : " unnamed");
    ZWSetNamesOverlay(row.named ? ZWNamesOverlay::FromText(h25 + " h25.lab.example\n") : nullptr);
    CDiscoIPv6Agent agent;
    const Clock::time_point start = Clock::now();
    agent.DIPv6PingMatchedAddress(row.address, row.length);
    EXPECT_LT(SecondsSince(start), 2.0) << shown << ": probes never wait";
    Hosts probed;
    for (const auto& e : sniffer_.Collect()) probed.insert(icmp6test::Text(e.destination));
    EXPECT_EQ(probed, row.probed) << shown;
  }
  ZWSetNamesOverlay(nullptr);
}

}  // namespace
