// The raw ICMPv6 socket inside the sandbox: its settings, and a destination without a route. (Without
// CAP_NET_RAW the kernel refuses it with EPERM, as the platform layer does in replay: Icmp6Echo_test.)
#include <fcntl.h>

#include <cerrno>
#include <climits>
#include <string>
#include <tuple>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "tests/integration/EchoSniffer.h"
#include "tests/support/TempDir.h"

namespace {

struct Icmp6SocketTest : ::testing::Test {
  ScopedConfigDirs dirs_;
  CDiscoIPv6Agent agent_;
};

TEST_F(Icmp6SocketTest, SocketIsRawNonBlockingWithItsReceiveBuffer) {
  const int sock = agent_.DIPv6GetICMPv6Socket();
  ASSERT_GE(sock, 0);
  EXPECT_NE(fcntl(sock, F_GETFL) & O_NONBLOCK, 0);
  for (const auto& [option, atLeast, atMost] : {std::tuple<int, int, int>{SO_TYPE, SOCK_RAW, SOCK_RAW},
                                            {SO_PROTOCOL, IPPROTO_ICMPV6, IPPROTO_ICMPV6},
                                            {SO_RCVBUF, 61440, INT_MAX}}) {
    int value = 0;
    socklen_t length = sizeof(value);
    getsockopt(sock, SOL_SOCKET, option, &value, &length);
    EXPECT_TRUE(value >= atLeast && value <= atMost) << option << ": " << value;
  }
  EXPECT_EQ(_ZWcloseSocket(sock), 0);
}

TEST_F(Icmp6SocketTest, DestinationWithoutRouteFailsToSend) {
  icmp6test::Destination dest("2001:db8:99::1");  // the sandbox has routes for the loopback prefixes only
  const int sock = agent_.DIPv6GetICMPv6Socket();
  ASSERT_GE(sock, 0);
  KelTraceCapture trace(4);
  EXPECT_LT(agent_.DIPv6SendPing(sock, &dest, 1), 0);
  _ZWcloseSocket(sock);
  EXPECT_TRUE(trace.Contains("sendto() failed[errno=" + std::to_string(ENETUNREACH) + "]")) << trace.Text();
}

}  // namespace
