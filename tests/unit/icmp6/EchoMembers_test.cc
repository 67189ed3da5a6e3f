// Recognising the echo reply, and sending without a usable socket or
// destination (nothing leaves the machine in these tests).
#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "icmp6/Icmp6Echo.h"
#include "tests/support/TempDir.h"

namespace {

class EchoMembersTest : public ::testing::Test {
 protected:
  ScopedConfigDirs dirs_;
  CDiscoIPv6Agent agent_;
};

// A message of `size` bytes (at least 8 stored) of `type` with
// `identifier` in bytes 4-5, host byte order.
std::vector<char> Message(int size, uint8_t type, uint16_t identifier) {
  std::vector<char> bytes(static_cast<size_t>(size < 8 ? 8 : size), '#');
  bytes[0] = static_cast<char>(type);
  bytes[1] = bytes[2] = bytes[3] = 0;
  memcpy(bytes.data() + 4, &identifier, 2);
  bytes[6] = 0x12;  // sequence numbers are not examined
  bytes[7] = 0x34;
  return bytes;
}

TEST_F(EchoMembersTest, VerifyPingTable) {
  const int pid = 0x7FFE1234;  // wider than 16 bits: only 0x1234 is compared
  struct Row {
    const char* name;
    int size;     // length handed over
    uint8_t type;
    uint16_t identifier;
    int expected;
    const char* trace;
    int level;  // level of `trace`
  } rows[] = {
      {"40-byte reply, own identifier", 40, 129, 0x1234, 1,
       "-- DIPv6VerifyPing() : ICMP6 recieved echo relay for this ping!", 3},
      {"8-byte reply, own identifier", 8, 129, 0x1234, 1,
       "-- DIPv6VerifyPing() : ICMP6 recieved echo relay for this ping!", 3},
      {"41 bytes", 41, 129, 0x1234, 0, "-- DIPv6VerifyPing() : ICMP6 Length oversized!", 2},
      {"64 bytes", 64, 129, 0x1234, 0, "-- DIPv6VerifyPing() : ICMP6 Length oversized!", 2},
      {"7 bytes", 7, 129, 0x1234, 0, "-- DIPv6VerifyPing() : ICMP6 Length undersized!", 2},
      {"failed receive", -1, 129, 0x1234, 0, "-- DIPv6VerifyPing() : ICMP6 Length undersized!", 2},
      {"echo request", 40, 128, 0x1234, 0,
       "-- DIPv6VerifyPing() : Message received is not ICMP6_ECHO_REPLY!", 4},
      {"destination unreachable", 40, 1, 0x1234, 0,
       "-- DIPv6VerifyPing() : Message received is not ICMP6_ECHO_REPLY!", 4},
      {"another process's reply", 40, 129, 0x1235, 0,
       "-- DIPv6VerifyPing() : ICMP6 recieved was not sent from this ping!", 4},
      {"high bits in the identifier bytes", 40, 129, 0x7FFE, 0,
       "-- DIPv6VerifyPing() : ICMP6 recieved was not sent from this ping!", 4},
  };
  for (const Row& row : rows) {
    std::vector<char> message = Message(row.size, row.type, row.identifier);
    {
      KelTraceCapture trace(4);
      EXPECT_EQ(agent_.DIPv6VerifyPing(message.data(), row.size, pid), row.expected) << row.name;
      EXPECT_EQ(trace.Count(row.trace), 1) << row.name << "\n" << trace.Text();
      EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6VerifyPing()\n")) << row.name;
      EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6VerifyPing(" +
                                 std::to_string(row.expected) + ")\n"))
          << row.name;
    }
    {
      KelTraceCapture trace(row.level - 1);  // one level below: the line stays out
      agent_.DIPv6VerifyPing(message.data(), row.size, pid);
      EXPECT_FALSE(trace.Contains(row.trace)) << row.name << " traced below level " << row.level;
    }
  }
}

TEST_F(EchoMembersTest, VerifyPingWithNullBufferIsUndersized) {
  KelTraceCapture trace(2);
  EXPECT_EQ(agent_.DIPv6VerifyPing(nullptr, 40, 1), 0);
  EXPECT_TRUE(trace.Contains("ICMP6 Length undersized!"));
}

TEST_F(EchoMembersTest, SendPingFailuresAreTracedAndNegative) {
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  inet_pton(AF_INET6, "2001:db8::1", &v6.sin6_addr);
  addrinfo dest{};
  dest.ai_family = AF_INET6;
  dest.ai_addr = reinterpret_cast<sockaddr*>(&v6);
  dest.ai_addrlen = sizeof(v6);

  struct Row {
    const char* name;
    int sock;
    addrinfo* dest;
    const char* trace;
  } rows[] = {
      {"no socket", -1, &dest, "-- DIPv6SendPing() : sendto() failed[errno=9]!\n"},
      {"no destination", -1, nullptr, "-- DIPv6SendPing() : sendto() failed[errno="},
  };
  for (const Row& row : rows) {
    KelErrorCapture errors;
    KelTraceCapture trace(4);
    int sent = agent_.DIPv6SendPing(row.sock, row.dest, 42);
    EXPECT_LT(sent, 0) << row.name;
    EXPECT_TRUE(trace.Contains(row.trace)) << row.name << "\n" << trace.Text();
    EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6SendPing(length=" +
                               std::to_string(sent) + ")\n"))
        << row.name;
    EXPECT_TRUE(errors.Reports().empty()) << row.name << ": failures are only traced";
  }
}

}  // namespace
