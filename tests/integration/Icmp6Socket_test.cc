// The raw ICMPv6 socket inside the sandbox: its settings, the refusal without CAP_NET_RAW, and a
// destination without a route.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>

#include <cerrno>
#include <climits>
#include <cstdio>
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

TEST_F(Icmp6SocketTest, WithoutCapNetRawTheSocketIsRefusedAsPermission) {
  const auto withoutCapNetRaw = [this] {  // in a child; the exit status tells which check failed
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    syscall(SYS_capget, &header, data);
    data[CAP_TO_INDEX(CAP_NET_RAW)].effective &= ~CAP_TO_MASK(CAP_NET_RAW);
    data[CAP_TO_INDEX(CAP_NET_RAW)].permitted &= ~CAP_TO_MASK(CAP_NET_RAW);
    if (syscall(SYS_capset, &header, data) != 0) _exit(2);
    const bool eperm = socket(AF_INET6, SOCK_RAW, IPPROTO_ICMPV6) < 0 && errno == EPERM;  // as Linux does
    KelTraceCapture trace(4);
    const bool refused = agent_.DIPv6GetICMPv6Socket() == -1 &&
                         agent_.DIPv6PingAddress("2001:db8:1::5", E_KBTrue, 1, 0) == 0;
    fprintf(stderr, "%s", trace.Text().c_str());
    _exit(!eperm ? 3 : !refused ? 4 : !trace.Contains("Require superuser permission to create socket!"));
  };
  EXPECT_EXIT(withoutCapNetRaw(), ::testing::ExitedWithCode(0), "");
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
