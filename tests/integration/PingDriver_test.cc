// The ping driver with real packets inside the sandbox: echo requests to
// named addresses on loopback, replies switched on and off, and the
// probing of the remembered hosts of a prefix.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
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
using icmp6test::EchoSniffer;
using icmp6test::SeenEcho;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class PingDriverTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sniffer_.Ok()) << "no raw socket: " << strerror(errno); }

  ScopedConfigDirs dirs_;
  CDiscoIPv6Agent agent_;
  EchoSniffer sniffer_;
};

TEST_F(PingDriverTest, ConfirmedPingToNamedAddressGetsItsReply) {
  const uint16_t identifier = static_cast<uint16_t>(getpid());
  struct Row {
    const char* address;      // what the caller pings
    const char* destination;  // where the request must go
  } rows[] = {
      {"2001:db8:1::5", "2001:db8:1::5"},
      {"2001:0DB8:0001:0000:0000:0000:0000:0005", "2001:db8:1::5"},
      {"2001:db8:1::1", "2001:db8:1::1"},
  };
  for (const Row& row : rows) {
    KelTraceCapture trace(4);
    EXPECT_EQ(agent_.DIPv6PingAddress(row.address, E_KBTrue, 3, 0), 1) << row.address << "\n"
                                                                        << trace.Text();
    EXPECT_TRUE(trace.Contains("-- DIPv6PingAddress() : Ping received correct response from[" +
                               std::string(row.address) + "]!\n"))
        << row.address;
    EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6PingAddress(" +
                               std::string(row.address) + ")\n"));
    EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6PingAddress(1)\n"));
    EXPECT_FALSE(trace.Contains("Ping timeout!"));

    std::vector<SeenEcho> seen = sniffer_.Collect();
    ASSERT_EQ(seen.size(), 1u) << row.address;
    const std::vector<uint8_t>& m = seen[0].bytes;
    ASSERT_EQ(m.size(), 40u);
    EXPECT_EQ(m[0], 128);
    EXPECT_EQ(m[1], 0);
    uint16_t id;
    memcpy(&id, &m[4], 2);
    EXPECT_EQ(id, identifier) << "identifier: low 16 bits of the process id, host order";
    EXPECT_EQ(m[6], 0);
    EXPECT_EQ(m[7], 0);
    EXPECT_EQ(std::string(m.begin() + 8, m.end()), std::string(32, '#'));
    EXPECT_EQ(icmp6test::Text(seen[0].destination), row.destination);
    EXPECT_TRUE(icmp6test::ChecksumVerifies(m, seen[0].source, seen[0].destination));

    // What the agent computes itself for that destination is exactly what
    // went out, checksum included.
    sockaddr_in6 to{};
    to.sin6_family = AF_INET6;
    to.sin6_addr = seen[0].destination;
    addrinfo dest{};
    dest.ai_family = AF_INET6;
    dest.ai_addr = reinterpret_cast<sockaddr*>(&to);
    dest.ai_addrlen = sizeof(to);
    char built[kIcmp6EchoSize];
    InitIcmp6Header(built, kIcmp6EchoDataSize, static_cast<int>(getpid()));
    ComputeIcmpChecksum(0, built, kIcmp6EchoSize, &dest);
    EXPECT_EQ(std::vector<uint8_t>(built, built + kIcmp6EchoSize), m) << row.address;
  }
}

TEST_F(PingDriverTest, WithRepliesOffConfirmedPingTimesOutAndUnconfirmedReturnsAtOnce) {
  EchoRepliesOff off;
  ASSERT_TRUE(off.Ok());
  {
    KelTraceCapture trace(4);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(agent_.DIPv6PingAddress("2001:db8:1::5", E_KBTrue, 1, 300000), 0);
    double took = SecondsSince(start);
    EXPECT_GE(took, 1.29);
    EXPECT_LT(took, 1.8);
    EXPECT_EQ(trace.Count("-- DIPv6PingAddress() : Ping timeout!\n"), 1) << trace.Text();
    // The ping's own socket saw its request pass by, and went on waiting.
    EXPECT_TRUE(trace.Contains("Message received is not ICMP6_ECHO_REPLY!"));
    EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6PingAddress(0)\n"));
    EXPECT_EQ(sniffer_.Collect().size(), 1u) << "the request went out";
  }
  {
    KelTraceCapture trace(4);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(agent_.DIPv6PingAddress("2001:db8:1::5", E_KBFalse, 30, 0), 1);
    EXPECT_LT(SecondsSince(start), 1.0) << "no wait without confirm";
    EXPECT_FALSE(trace.Contains("Ping timeout!"));
    EXPECT_EQ(sniffer_.Collect().size(), 1u);
  }
}

TEST_F(PingDriverTest, LimitsBelowOneSecondAreHonoured) {
  // The ping's own request reaches its socket first; a limit of 0 s and
  // some microseconds must still wait for the reply after it.
  {
    KelTraceCapture trace(4);
    EXPECT_EQ(agent_.DIPv6PingAddress("2001:db8:1::5", E_KBTrue, 0, 800000), 1) << trace.Text();
  }
  EchoRepliesOff off;
  ASSERT_TRUE(off.Ok());
  KelTraceCapture trace(4);
  Clock::time_point start = Clock::now();
  EXPECT_EQ(agent_.DIPv6PingAddress("2001:db8:1::5", E_KBTrue, 0, 300000), 0);
  double took = SecondsSince(start);
  EXPECT_GE(took, 0.29);
  EXPECT_LT(took, 0.9);
  EXPECT_TRUE(trace.Contains("Ping timeout!"));
}

// Interrupts the waiting thread with a signal every 20 ms while it lives.
class SignalStorm {
 public:
  SignalStorm() : m_Target(pthread_self()) {
    struct sigaction act{};
    act.sa_handler = [](int) { ++Count(); };
    sigemptyset(&act.sa_mask);
    act.sa_flags = 0;  // no SA_RESTART: waits are interrupted (EINTR)
    sigaction(SIGUSR1, &act, &m_Previous);
    m_Thread = std::thread([this] {
      while (!m_Stop) {
        pthread_kill(m_Target, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  ~SignalStorm() {
    m_Stop = true;
    m_Thread.join();
    sigaction(SIGUSR1, &m_Previous, nullptr);
  }
  static std::atomic<int>& Count() {
    static std::atomic<int> count{0};
    return count;
  }

 private:
  pthread_t m_Target;
  struct sigaction m_Previous;
  std::atomic<bool> m_Stop{false};
  std::thread m_Thread;
};

TEST_F(PingDriverTest, InterruptedWaitGoesOnWithTheTimeLeft) {
  EchoRepliesOff off;
  ASSERT_TRUE(off.Ok());
  KelTraceCapture trace(4);
  int before = SignalStorm::Count();
  Clock::time_point start = Clock::now();
  int result;
  {
    SignalStorm storm;
    result = agent_.DIPv6PingAddress("2001:db8:1::5", E_KBTrue, 1, 0);
  }
  double took = SecondsSince(start);
  EXPECT_EQ(result, 0);
  EXPECT_GT(SignalStorm::Count() - before, 10) << "the wait was not interrupted";
  EXPECT_GE(took, 0.99) << "an interrupted wait must go on";
  EXPECT_LT(took, 1.5) << "an interrupted wait must not start over";
  EXPECT_TRUE(trace.Contains("Ping timeout!")) << trace.Text();
}

TEST_F(PingDriverTest, AddressWithoutReverseNameIsNeverProbed) {
  const int descriptors = icmp6test::OpenDescriptors();
  for (__boolean confirm : {E_KBTrue, E_KBFalse}) {
    KelTraceCapture trace(4);
    EXPECT_EQ(agent_.DIPv6PingAddress("2001:db8:2::5", confirm, 1, 0), 0) << confirm;
    EXPECT_TRUE(trace.Contains("-- DIPv6PingAddress() : Unable to getnameinfo[errno=")) << confirm;
    EXPECT_FALSE(trace.Contains("DIPv6SendPing")) << confirm;
    EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6PingAddress(0)\n"));
  }
  EXPECT_TRUE(sniffer_.Collect().empty()) << "nothing may be sent";
  EXPECT_EQ(icmp6test::OpenDescriptors(), descriptors) << "the ping's socket must be closed";
}

// The remembered hosts 2001:db8:1::5 and 2001:db8:2::5, both named (the
// second through a names overlay: the shared hosts file leaves it unnamed).
class PingMatchedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sniffer_.Ok());
    ZWSetNamesOverlay(ZWNamesOverlay::FromText("2001:db8:2::5 h25.lab.example\n"));
  }
  void TearDown() override { ZWSetNamesOverlay(nullptr); }

  std::set<std::string> Destinations() {
    std::set<std::string> out;
    for (const SeenEcho& e : sniffer_.Collect()) out.insert(icmp6test::Text(e.destination));
    return out;
  }

  ScopedConfigDirs dirs_;
  EchoSniffer sniffer_;
};

TEST_F(PingMatchedTest, ProbesTheRememberedHostsOnThePrefix) {
  dirs_.WriteHostHistory("2001:db8:1::5\n2001:db8:2::5\n");
  CDiscoIPv6Agent agent;
  ASSERT_NE(agent.DIPv6IpDataList(), nullptr);
  const char* local = "2001:0DB8:0001:0000:0000:0000:0000:0001";
  struct Row {
    const char* address;
    int length;
    std::set<std::string> probed;
  } rows[] = {
      {local, 64, {"2001:db8:1::5"}},
      {local, 32, {"2001:db8:1::5", "2001:db8:2::5"}},
      {local, 0, {"2001:db8:1::5", "2001:db8:2::5"}},
      {"2001:0DB8:0002:0000:0000:0000:0000:0009", 64, {"2001:db8:2::5"}},
      {"2001:0DB8:0001:0000:0000:0000:0000:0005", 128, {"2001:db8:1::5"}},
      {"2001:0DB8:0009:0000:0000:0000:0000:0001", 64, {}},
      {"not-an-address", 64, {}},
      {nullptr, 64, {}},
  };
  for (const Row& row : rows) {
    std::string shown = std::string(row.address ? row.address : "") + "/" +
                        std::to_string(row.length);
    KelTraceCapture trace(4);
    Clock::time_point start = Clock::now();
    agent.DIPv6PingMatchedAddress(row.address, row.length);
    EXPECT_LT(SecondsSince(start), 2.0) << shown << ": probes never wait";
    EXPECT_EQ(Destinations(), row.probed) << shown;
    EXPECT_EQ(trace.Count("\nENTER : CDiscoIPv6Agent::DIPv6PingAddress("),
              static_cast<int>(row.probed.size()))
        << shown;
    EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6PingMatchedAddress(" + shown + ")"))
        << shown;
    EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6PingMatchedAddress(" + shown + ")"))
        << shown;
  }
}

TEST_F(PingMatchedTest, WithoutHistoryNothingIsSent) {
  CDiscoIPv6Agent agent;  // no history file
  ASSERT_EQ(agent.DIPv6IpDataList(), nullptr);
  KelTraceCapture trace(4);
  agent.DIPv6PingMatchedAddress("2001:0DB8:0001:0000:0000:0000:0000:0001", 32);
  EXPECT_TRUE(Destinations().empty());
  EXPECT_FALSE(trace.Contains("DIPv6PingAddress("));
}

TEST_F(PingMatchedTest, UnnamedHistoryHostIsSkipped) {
  ZWSetNamesOverlay(nullptr);  // 2001:db8:2::5 has no name again
  dirs_.WriteHostHistory("2001:db8:2::5\n2001:db8:1::5\n");
  CDiscoIPv6Agent agent;
  agent.DIPv6PingMatchedAddress("2001:0DB8:0001:0000:0000:0000:0000:0001", 32);
  EXPECT_EQ(Destinations(), (std::set<std::string>{"2001:db8:1::5"}));
}

}  // namespace
