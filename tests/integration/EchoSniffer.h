// Test helpers for ICMPv6 echo inside the sandbox: a second raw socket
// that sees every echo request delivered in the namespace, the per-namespace
// switch for echo replies, and an independent checksum check.
#ifndef TESTS_INTEGRATION_ECHOSNIFFER_H_
#define TESTS_INTEGRATION_ECHOSNIFFER_H_

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace icmp6test {

struct SeenEcho {
  std::vector<uint8_t> bytes;  // the ICMPv6 message
  in6_addr source;
  in6_addr destination;
};

inline std::string Text(const in6_addr& a) {
  char text[INET6_ADDRSTRLEN];
  inet_ntop(AF_INET6, &a, text, sizeof(text));
  return text;
}

// Sees the echo requests (type 128 only) arriving in this namespace from
// its construction on.
class EchoSniffer {
 public:
  EchoSniffer() {
    m_Fd = socket(AF_INET6, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMPV6);
    if (m_Fd < 0) return;
    icmp6_filter filter;
    ICMP6_FILTER_SETBLOCKALL(&filter);
    ICMP6_FILTER_SETPASS(ICMP6_ECHO_REQUEST, &filter);
    setsockopt(m_Fd, IPPROTO_ICMPV6, ICMP6_FILTER, &filter, sizeof(filter));
    int on = 1;
    setsockopt(m_Fd, IPPROTO_IPV6, IPV6_RECVPKTINFO, &on, sizeof(on));
  }
  ~EchoSniffer() {
    if (m_Fd >= 0) close(m_Fd);
  }
  EchoSniffer(const EchoSniffer&) = delete;
  EchoSniffer& operator=(const EchoSniffer&) = delete;

  bool Ok() const { return m_Fd >= 0; }

  // Every request seen until none has come for `quiet`.
  std::vector<SeenEcho> Collect(std::chrono::milliseconds quiet = std::chrono::milliseconds(300)) {
    std::vector<SeenEcho> seen;
    pollfd p{m_Fd, POLLIN, 0};
    while (poll(&p, 1, static_cast<int>(quiet.count())) > 0) {
      uint8_t data[2048];
      sockaddr_in6 from{};
      alignas(cmsghdr) char control[256];
      iovec iov{data, sizeof(data)};
      msghdr msg{};
      msg.msg_name = &from;
      msg.msg_namelen = sizeof(from);
      msg.msg_iov = &iov;
      msg.msg_iovlen = 1;
      msg.msg_control = control;
      msg.msg_controllen = sizeof(control);
      ssize_t n = recvmsg(m_Fd, &msg, 0);
      if (n < 0) continue;
      SeenEcho echo;
      echo.bytes.assign(data, data + n);
      echo.source = from.sin6_addr;
      memset(&echo.destination, 0, sizeof(echo.destination));
      for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_PKTINFO) {
          in6_pktinfo info;
          memcpy(&info, CMSG_DATA(c), sizeof(info));
          echo.destination = info.ipi6_addr;
        }
      }
      seen.push_back(echo);
    }
    return seen;
  }

 private:
  int m_Fd = -1;
};

// True when the checksum in `message` is right for `source` and
// `destination` (RFC 8200 section 8.1 pseudo-header), computed plainly.
inline bool ChecksumVerifies(const std::vector<uint8_t>& message, const in6_addr& source,
                             const in6_addr& destination) {
  std::vector<uint8_t> all(source.s6_addr, source.s6_addr + 16);
  all.insert(all.end(), destination.s6_addr, destination.s6_addr + 16);
  uint32_t length = static_cast<uint32_t>(message.size());
  for (int shift = 24; shift >= 0; shift -= 8) all.push_back(static_cast<uint8_t>(length >> shift));
  all.insert(all.end(), {0, 0, 0, 58});
  all.insert(all.end(), message.begin(), message.end());
  uint64_t sum = 0;
  for (size_t i = 0; i < all.size(); i += 2) {
    sum += (static_cast<uint32_t>(all[i]) << 8) | (i + 1 < all.size() ? all[i + 1] : 0);
  }
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return sum == 0xFFFF;
}

// Switches echo replies off in this network namespace while it lives
// (net.ipv6.icmp.echo_ignore_all), restoring the previous value.
class EchoRepliesOff {
 public:
  EchoRepliesOff() {
    std::ifstream in(kPath);
    std::getline(in, m_Previous);
    if (m_Previous.empty()) m_Previous = "0";
    m_Ok = Write("1");
  }
  ~EchoRepliesOff() { Write(m_Previous); }
  EchoRepliesOff(const EchoRepliesOff&) = delete;
  EchoRepliesOff& operator=(const EchoRepliesOff&) = delete;
  bool Ok() const { return m_Ok; }

 private:
  static constexpr const char* kPath = "/proc/sys/net/ipv6/icmp/echo_ignore_all";
  static bool Write(const std::string& value) {
    std::ofstream out(kPath);
    out << value << "\n";
    out.flush();
    return static_cast<bool>(out);
  }
  std::string m_Previous;
  bool m_Ok = false;
};

// Number of open descriptors of this process.
inline int OpenDescriptors() {
  int count = 0;
  for (int fd = 0; fd < 4096; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) ++count;
  }
  return count;
}

}  // namespace icmp6test

#endif  // TESTS_INTEGRATION_ECHOSNIFFER_H_
