// The raw ICMPv6 socket of one ping, sending the echo request and
// recognising its reply. Nothing here is shared between calls: each ping
// has its own socket and packet buffer, so any number of threads may ping
// at once. Failures show only in trace lines and results.
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "icmp6/Icmp6Echo.h"

namespace {

constexpr int kReceiveBufferSize = 61440;  // 0xF000
constexpr unsigned char kEchoReply = 129;

}  // namespace

int CDiscoIPv6Agent::DIPv6GetICMPv6Socket() {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6GetICMPv6Socket()\n", 4);
  int sock = _ZWsocket(AF_INET6, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMPV6);
  if (sock < 0) {
    const int error = errno;
    // Linux refuses raw sockets to a process without CAP_NET_RAW with
    // EPERM; other systems say EACCES. Both mean the same here.
    if (error == EACCES || error == EPERM) {
      genXPLTrace("-- DIPv6GetICMPv6Socket() : Require superuser permission to create socket!\n", 2);
    } else {
      genXPLTracef(2, "-- DIPv6GetICMPv6Socket() : Unable to create socket[errno=%d]!\n", error);
    }
    sock = -1;
  } else {
    const int size = kReceiveBufferSize;
    if (setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &size, sizeof(size)) != 0) {
      const int error = errno;
      if (error == ENOMEM) {
        genXPLTrace("-- DIPv6GetICMPv6Socket() : Memory allocation error while creating socket!\n",
                    2);
      } else {
        genXPLTracef(2, "-- DIPv6GetICMPv6Socket() : Unable to set socket options[errno=%d]!\n",
                     error);
      }
      _ZWcloseSocket(sock);
      sock = -1;
    } else if (fcntl(sock, F_SETFL, O_NONBLOCK) != 0) {
      genXPLTrace("-- DIPv6GetICMPv6Socket() : Unable to set socket to non-blocking!\n", 2);
      _ZWcloseSocket(sock);
      sock = -1;
    }
  }
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6GetICMPv6Socket(m_SockFd=%d)\n", sock);
  return sock;
}

int CDiscoIPv6Agent::DIPv6SendPing(int sock, addrinfo* dest, int pid) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6SendPing()\n", 4);
  char* packet = static_cast<char*>(calloc(1, kIcmp6EchoSize));
  if (packet == nullptr) {
    genXPLTracef(2, "><HeapAlloc failed. Error Code:%d\n", errno);
    return -1;
  }
  InitIcmp6Header(packet, kIcmp6EchoDataSize, pid);
  ComputeIcmpChecksum(static_cast<unsigned int>(sock), packet, kIcmp6EchoSize, dest);

  ssize_t sent;
  if (dest == nullptr || dest->ai_addr == nullptr) {
    sent = -1;
    errno = EDESTADDRREQ;
  } else {
    sent = sendto(sock, packet, kIcmp6EchoSize, 0, dest->ai_addr, dest->ai_addrlen);
  }
  if (sent < 0) {
    const int error = errno;
    if (error == ENOMEM) {
      genXPLTrace("-- DIPv6SendPing() : sendto() failed, out of memory!\n", 2);
    } else if (error == EINVAL) {
      genXPLTrace("-- DIPv6SendPing() : sendto() failed, invalid message length!\n", 2);
    } else {
      genXPLTracef(2, "-- DIPv6SendPing() : sendto() failed[errno=%d]!\n", error);
    }
  }
  free(packet);
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6SendPing(length=%d)\n", static_cast<int>(sent));
  return static_cast<int>(sent);
}

int CDiscoIPv6Agent::DIPv6VerifyPing(char* buf, int len, int pid) {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6VerifyPing()\n", 4);
  int result = 0;
  if (len < kIcmp6HeaderSize || buf == nullptr) {
    genXPLTrace("-- DIPv6VerifyPing() : ICMP6 Length undersized!\n", 2);
  } else if (len > kIcmp6EchoSize) {
    genXPLTrace("-- DIPv6VerifyPing() : ICMP6 Length oversized!\n", 2);
  } else if (static_cast<unsigned char>(buf[0]) != kEchoReply) {
    genXPLTrace("-- DIPv6VerifyPing() : Message received is not ICMP6_ECHO_REPLY!\n", 4);
  } else {
    uint16_t identifier;
    memcpy(&identifier, buf + 4, sizeof(identifier));  // host byte order, as sent
    if (identifier == static_cast<uint16_t>(pid)) {
      genXPLTrace("-- DIPv6VerifyPing() : ICMP6 recieved echo relay for this ping!\n", 3);
      result = 1;
    } else {
      genXPLTrace("-- DIPv6VerifyPing() : ICMP6 recieved was not sent from this ping!\n", 4);
    }
  }
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6VerifyPing(%d)\n", result);
  return result;
}
