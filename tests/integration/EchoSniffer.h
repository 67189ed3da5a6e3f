// ICMPv6 echo inside the sandbox: a second raw socket that sees every echo request delivered in the
// namespace, the per-namespace switch for echo replies, and an independent checksum check.
#ifndef TESTS_INTEGRATION_ECHOSNIFFER_H_
#define TESTS_INTEGRATION_ECHOSNIFFER_H_

#include <arpa/inet.h>
#include <netinet/icmp6.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace icmp6test {

struct SeenEcho {
  std::vector<uint8_t> bytes;  // the ICMPv6 message
  in6_addr source, destination;
};

inline std::string Text(const in6_addr& a) {
  char text[INET6_ADDRSTRLEN];
  return inet_ntop(AF_INET6, &a, text, sizeof(text));
}

// A one-entry address list for sending to `text`.
struct Destination : addrinfo {
  sockaddr_in6 to{};
  explicit Destination(const std::string& text)
      : addrinfo{0, AF_INET6, 0, 0, sizeof(to), reinterpret_cast<sockaddr*>(&to), nullptr, nullptr} {
    to.sin6_family = AF_INET6;
    inet_pton(AF_INET6, text.c_str(), &to.sin6_addr);
  }
};

// Sees the echo requests (type 128 only) arriving in this namespace from its construction on.
class EchoSniffer {
 public:
  EchoSniffer() : m_Fd(socket(AF_INET6, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMPV6)) {
    icmp6_filter filter;
    ICMP6_FILTER_SETBLOCKALL(&filter);
    ICMP6_FILTER_SETPASS(ICMP6_ECHO_REQUEST, &filter);
    setsockopt(m_Fd, IPPROTO_ICMPV6, ICMP6_FILTER, &filter, sizeof(filter));
    int on = 1;
    setsockopt(m_Fd, IPPROTO_IPV6, IPV6_RECVPKTINFO, &on, sizeof(on));
  }
  ~EchoSniffer() { close(m_Fd); }
  bool Ok() const { return m_Fd >= 0; }

  // Every request seen until none has come for 300 ms.
  std::vector<SeenEcho> Collect() {
    std::vector<SeenEcho> seen;
    for (pollfd p{m_Fd, POLLIN, 0}; poll(&p, 1, 300) > 0;) {
      uint8_t data[2048];
      sockaddr_in6 from{};
      alignas(cmsghdr) char control[256];
      iovec iov{data, sizeof(data)};
      msghdr msg{&from, sizeof(from), &iov, 1, control, sizeof(control), 0};
      const ssize_t n = recvmsg(m_Fd, &msg, 0);
      const cmsghdr* info = CMSG_FIRSTHDR(&msg);  // the only one asked for: IPV6_PKTINFO
      if (n < 0 || info == nullptr) continue;
      seen.push_back({std::vector<uint8_t>(data, data + n), from.sin6_addr,
                      reinterpret_cast<const in6_pktinfo*>(CMSG_DATA(info))->ipi6_addr});
    }
    return seen;
  }

 private:
  int m_Fd;
};

// True when the checksum of `echo` is right for its addresses (the pseudo-header of RFC 8200 section
// 8.1), computed plainly.
inline bool ChecksumVerifies(const SeenEcho& echo) {
  std::vector<uint8_t> all(echo.source.s6_addr, echo.source.s6_addr + 16);
  all.insert(all.end(), echo.destination.s6_addr, echo.destination.s6_addr + 16);
  const size_t n = echo.bytes.size();
  all.insert(all.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0, 0, 0, 58});
  all.insert(all.end(), echo.bytes.begin(), echo.bytes.end());
  uint64_t sum = 0;
  for (size_t i = 0; i < all.size(); i += 2) sum += (all[i] << 8) | (i + 1 < all.size() ? all[i + 1] : 0);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return sum == 0xFFFF;
}

// Switches echo replies off in this network namespace while it lives, restoring the previous value.
class EchoRepliesOff {
 public:
  EchoRepliesOff() : m_Ok(std::getline(std::ifstream(kPath), m_Previous) && std::ofstream(kPath) << "1\n") {}
  ~EchoRepliesOff() { std::ofstream(kPath) << m_Previous << "\n"; }
  bool Ok() const { return m_Ok; }

 private:
  static constexpr const char* kPath = "/proc/sys/net/ipv6/icmp/echo_ignore_all";
  std::string m_Previous;
  bool m_Ok;
};

}  // namespace icmp6test

#endif  // TESTS_INTEGRATION_ECHOSNIFFER_H_
