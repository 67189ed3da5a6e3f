// The process-wide raw-socket switch of the portability layer.
#include <errno.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "host/ZWPlatform.h"

namespace {

// Turns raw sockets off for one test and on again afterwards.
class RawSocketsOff {
 public:
  RawSocketsOff() { ZWSetRawSocketsAllowed(false); }
  ~RawSocketsOff() { ZWSetRawSocketsAllowed(true); }
};

TEST(ZWRawSocketsTest, OnByDefault) { EXPECT_TRUE(ZWRawSocketsAllowed()); }

TEST(ZWRawSocketsTest, SwitchedOffRefusesEveryRawSocketWithEperm) {
  RawSocketsOff off;
  EXPECT_FALSE(ZWRawSocketsAllowed());
  for (int type : {static_cast<int>(SOCK_RAW), SOCK_RAW | SOCK_CLOEXEC, SOCK_RAW | SOCK_NONBLOCK}) {
    for (int family : {AF_INET6, AF_INET}) {
      errno = 0;
      EXPECT_EQ(_ZWsocket(family, type, IPPROTO_ICMPV6), -1) << family << " " << type;
      EXPECT_EQ(errno, EPERM);
    }
  }
  // Other sockets are untouched.
  int udp = _ZWsocket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  EXPECT_GE(udp, 0) << errno;
  if (udp >= 0) close(udp);
}

TEST(ZWRawSocketsTest, SwitchedOnBehavesAsTheSystem) {
  // As the system would: a socket for a privileged process, EPERM for one
  // without the right to open raw sockets.
  int direct = socket(AF_INET6, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMPV6);
  const int directErrno = errno;
  int wrapped = _ZWsocket(AF_INET6, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMPV6);
  const int wrappedErrno = errno;
  EXPECT_EQ(direct >= 0, wrapped >= 0);
  if (direct < 0) {
    EXPECT_EQ(directErrno, wrappedErrno);
  }
  if (direct >= 0) close(direct);
  if (wrapped >= 0) close(wrapped);
}

}  // namespace
