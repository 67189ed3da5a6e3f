// The raw ICMPv6 socket and sending, inside the sandbox: the socket's
// settings, the refusal without CAP_NET_RAW, and a destination without a
// route.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "icmp6/Icmp6Echo.h"
#include "tests/integration/EchoSniffer.h"
#include "tests/support/TempDir.h"

namespace {

class Icmp6SocketTest : public ::testing::Test {
 protected:
  ScopedConfigDirs dirs_;
  CDiscoIPv6Agent agent_;
};

TEST_F(Icmp6SocketTest, SocketIsRawNonBlockingWithItsReceiveBuffer) {
  KelTraceCapture trace(4);
  int sock = agent_.DIPv6GetICMPv6Socket();
  ASSERT_GE(sock, 0) << trace.Text();
  EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6GetICMPv6Socket()\n"));
  EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6GetICMPv6Socket(m_SockFd=" +
                             std::to_string(sock) + ")\n"));
  EXPECT_NE(fcntl(sock, F_GETFL) & O_NONBLOCK, 0);
  int type = 0, protocol = 0, rcvbuf = 0;
  socklen_t len = sizeof(int);
  getsockopt(sock, SOL_SOCKET, SO_TYPE, &type, &len);
  len = sizeof(int);
  getsockopt(sock, SOL_SOCKET, SO_PROTOCOL, &protocol, &len);
  len = sizeof(int);
  getsockopt(sock, SOL_SOCKET, SO_RCVBUF, &rcvbuf, &len);
  EXPECT_EQ(type, SOCK_RAW);
  EXPECT_EQ(protocol, IPPROTO_ICMPV6);
  EXPECT_GE(rcvbuf, 61440);
  EXPECT_EQ(_ZWcloseSocket(sock), 0);
}

// Clears CAP_NET_RAW from the calling process's capability sets.
bool DropNetRaw() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  const unsigned index = CAP_TO_INDEX(CAP_NET_RAW);
  const unsigned mask = CAP_TO_MASK(CAP_NET_RAW);
  data[index].effective &= ~mask;
  data[index].permitted &= ~mask;
  data[index].inheritable &= ~mask;
  return syscall(SYS_capset, &header, data) == 0;
}

TEST_F(Icmp6SocketTest, WithoutCapNetRawTheSocketIsRefusedAsPermission) {
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipeFds[0]);
    std::string report;
    int code = 0;
    if (!DropNetRaw()) {
      report = "capset failed";
      code = 2;
    } else {
      int probe = socket(AF_INET6, SOCK_RAW, IPPROTO_ICMPV6);
      if (probe >= 0) {
        report = "raw socket still allowed";
        code = 3;
      } else {
        report = "plain socket() errno " + std::to_string(errno) + "\n";
        KelTraceCapture trace(4);
        int sock = agent_.DIPv6GetICMPv6Socket();
        int pinged = agent_.DIPv6PingAddress("2001:db8:1::5", E_KBTrue, 1, 0);
        report += trace.Text();
        if (sock != -1) code = 4;
        if (!trace.Contains("-- DIPv6GetICMPv6Socket() : Require superuser permission to create "
                            "socket!\n")) {
          code = 5;
        }
        if (!trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6GetICMPv6Socket(m_SockFd=-1)\n")) code = 6;
        if (pinged != 0 || !trace.Contains("-- DIPv6PingAddress() : Unable to get socket id!\n")) {
          code = 7;
        }
      }
    }
    ssize_t ignored = write(pipeFds[1], report.data(), report.size());
    (void)ignored;
    _exit(code);
  }
  close(pipeFds[1]);
  std::string report;
  char chunk[512];
  ssize_t n;
  while ((n = read(pipeFds[0], chunk, sizeof(chunk))) > 0) report.append(chunk, n);
  close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << report;
  EXPECT_EQ(WEXITSTATUS(status), 0) << report;
  EXPECT_NE(report.find("errno " + std::to_string(EPERM)), std::string::npos)
      << "Linux refuses with EPERM: " << report;
}

TEST_F(Icmp6SocketTest, DestinationWithoutRouteFailsToSendAndHasNoChecksum) {
  // The sandbox has routes only for the loopback prefixes.
  sockaddr_in6 to{};
  to.sin6_family = AF_INET6;
  inet_pton(AF_INET6, "2001:db8:99::1", &to.sin6_addr);
  addrinfo dest{};
  dest.ai_family = AF_INET6;
  dest.ai_addr = reinterpret_cast<sockaddr*>(&to);
  dest.ai_addrlen = sizeof(to);

  char buf[kIcmp6EchoSize];
  InitIcmp6Header(buf, kIcmp6EchoDataSize, 1);
  ComputeIcmpChecksum(0, buf, kIcmp6EchoSize, &dest);
  EXPECT_EQ(static_cast<uint8_t>(buf[2]), 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(buf[3]), 0xFF);

  int sock = agent_.DIPv6GetICMPv6Socket();
  ASSERT_GE(sock, 0);
  KelTraceCapture trace(4);
  int sent = agent_.DIPv6SendPing(sock, &dest, 1);
  _ZWcloseSocket(sock);
  EXPECT_LT(sent, 0);
  EXPECT_TRUE(trace.Contains("-- DIPv6SendPing() : sendto() failed[errno=" +
                             std::to_string(ENETUNREACH) + "]!\n"))
      << trace.Text();
}

TEST_F(Icmp6SocketTest, SendPingSendsFortyBytes) {
  icmp6test::EchoSniffer sniffer;
  ASSERT_TRUE(sniffer.Ok());
  sockaddr_in6 to{};
  to.sin6_family = AF_INET6;
  inet_pton(AF_INET6, "2001:db8:2::5", &to.sin6_addr);
  addrinfo dest{};
  dest.ai_family = AF_INET6;
  dest.ai_addr = reinterpret_cast<sockaddr*>(&to);
  dest.ai_addrlen = sizeof(to);
  int sock = agent_.DIPv6GetICMPv6Socket();
  ASSERT_GE(sock, 0);
  KelTraceCapture trace(4);
  EXPECT_EQ(agent_.DIPv6SendPing(sock, &dest, 0x7ABC1234), 40);
  _ZWcloseSocket(sock);
  EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6SendPing(length=40)\n"));
  std::vector<icmp6test::SeenEcho> seen = sniffer.Collect();
  ASSERT_EQ(seen.size(), 1u);
  ASSERT_EQ(seen[0].bytes.size(), 40u);
  uint16_t id;
  memcpy(&id, &seen[0].bytes[4], 2);
  EXPECT_EQ(id, 0x1234);
  EXPECT_TRUE(icmp6test::ChecksumVerifies(seen[0].bytes, seen[0].source, seen[0].destination));
}

}  // namespace
