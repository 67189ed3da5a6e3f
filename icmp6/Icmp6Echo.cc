// Echo request building and the ICMPv6 checksum.
#include "icmp6/Icmp6Echo.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/ZWPlatform.h"

namespace {

constexpr unsigned char kEchoRequest = 128;
constexpr unsigned char kNextHeaderIcmp6 = 58;
constexpr int kPseudoHeaderSize = 40;
// The pseudo-header and the message together never exceed one IPv6
// payload without jumbogram.
constexpr int kWorkBufferSize = 65535;
constexpr unsigned short kNoChecksum = 0xFFFF;

// The source address the system would use towards `dest`: a UDP socket
// connected to it (which sends nothing) is bound by the kernel to exactly
// that address.
bool SourceAddressFor(const sockaddr_in6& dest, in6_addr* source) {
  sockaddr_in6 peer = dest;
  if (peer.sin6_port == 0) peer.sin6_port = htons(9);  // any port; nothing is sent
  int udp = socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (udp < 0) return false;
  bool found = false;
  if (connect(udp, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0) {
    sockaddr_in6 local{};
    socklen_t length = sizeof(local);
    if (getsockname(udp, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
        local.sin6_family == AF_INET6) {
      *source = local.sin6_addr;
      found = true;
    }
  }
  _ZWcloseSocket(udp);
  return found;
}

}  // namespace

int InitIcmp6Header(char* buf, int datasize, int m_Pid) {
  if (buf == nullptr) return 0;
  const uint16_t identifier = static_cast<uint16_t>(m_Pid);
  memset(buf, 0, kIcmp6HeaderSize);
  buf[0] = static_cast<char>(kEchoRequest);
  memcpy(buf + 4, &identifier, sizeof(identifier));  // host byte order
  if (datasize > 0) memset(buf + kIcmp6HeaderSize, '#', static_cast<size_t>(datasize));
  return kIcmp6HeaderSize;
}

unsigned short checksum(unsigned short* buffer, int size) {
  // Read as bytes: the buffer need not be aligned for 16-bit loads. The
  // 64-bit sum cannot overflow for any int size.
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(buffer);
  uint64_t sum = 0;
  int at = 0;
  for (; size - at >= 2; at += 2) {
    uint16_t word;
    memcpy(&word, bytes + at, sizeof(word));
    sum += word;
  }
  if (size - at == 1) {
    const unsigned char last[2] = {bytes[at], 0};
    uint16_t word;
    memcpy(&word, last, sizeof(word));
    sum += word;
  }
  while ((sum >> 16) != 0) sum = (sum >> 16) + (sum & 0xFFFF);
  return static_cast<unsigned short>(~sum & 0xFFFF);
}

unsigned short ComputeIcmp6PseudoHeaderChecksum(unsigned int /*s*/, char* icmppacket, int icmplen,
                                                addrinfo* dest) {
  if (icmppacket == nullptr || icmplen < 0 || dest == nullptr || dest->ai_addr == nullptr ||
      dest->ai_addr->sa_family != AF_INET6 || dest->ai_addrlen < sizeof(sockaddr_in6)) {
    return kNoChecksum;
  }
  const int padded = icmplen + (icmplen % 2);
  if (padded > kWorkBufferSize - kPseudoHeaderSize) return kNoChecksum;

  sockaddr_in6 target;
  memcpy(&target, dest->ai_addr, sizeof(target));
  in6_addr source;
  if (!SourceAddressFor(target, &source)) return kNoChecksum;

  std::vector<unsigned char> work(static_cast<size_t>(kPseudoHeaderSize + padded), 0);
  memcpy(work.data(), &source, 16);
  memcpy(work.data() + 16, &target.sin6_addr, 16);
  const uint32_t length = htonl(static_cast<uint32_t>(icmplen));
  memcpy(work.data() + 32, &length, sizeof(length));
  work[39] = kNextHeaderIcmp6;
  memcpy(work.data() + kPseudoHeaderSize, icmppacket, static_cast<size_t>(icmplen));
  return checksum(reinterpret_cast<unsigned short*>(work.data()), static_cast<int>(work.size()));
}

void ComputeIcmpChecksum(unsigned int s, char* buf, int packetlen, addrinfo* dest) {
  if (buf == nullptr || packetlen < 4) return;
  buf[2] = 0;
  buf[3] = 0;
  const unsigned short sum = ComputeIcmp6PseudoHeaderChecksum(s, buf, packetlen, dest);
  memcpy(buf + 2, &sum, sizeof(sum));
}
