// The ping driver: one echo request to an address that has a registered
// name, optionally waiting for its reply, and the probing of the
// remembered hosts that share a prefix.
//
// Each ping has its own socket; the host history is only read. Callers may
// ping from many threads at once; the reverse lookup serialises itself on
// the module lock. All pings of the process carry the same identifier, so
// a waiting ping may accept a reply to another thread's request.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelPointer.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "host/ZWResolver.h"

namespace {

constexpr int kHostNameSize = 129;
constexpr int kReplyBufferSize = 64;
constexpr int kMatchedPingSeconds = 10;

const char* Shown(const char* text) { return text != nullptr ? text : ""; }

using Clock = std::chrono::steady_clock;

enum class WaitResult { kReadable, kTimeout, kFailed };

// Waits until `sock` is readable or `deadline` passes. An interrupted
// wait resumes with the time left; any other failure ends the wait.
WaitResult WaitReadable(int sock, Clock::time_point deadline) {
  for (;;) {
    const Clock::duration left = deadline - Clock::now();
    const auto nanos =
        left > Clock::duration::zero()
            ? std::chrono::duration_cast<std::chrono::nanoseconds>(left).count()
            : 0;
    timespec timeout;
    timeout.tv_sec = static_cast<time_t>(nanos / 1000000000);
    timeout.tv_nsec = static_cast<long>(nanos % 1000000000);
    pollfd watched{};
    watched.fd = sock;
    watched.events = POLLIN;
    // poll rather than select: a descriptor number above FD_SETSIZE would
    // make FD_SET write past the set.
    const int ready = ppoll(&watched, 1, &timeout, nullptr);
    if (ready > 0) return WaitResult::kReadable;
    if (ready == 0) return WaitResult::kTimeout;
    if (errno != EINTR) return WaitResult::kFailed;
    if (Clock::now() >= deadline) return WaitResult::kTimeout;
  }
}

}  // namespace

int CDiscoIPv6Agent::DIPv6PingAddress(const char* ipStr, __boolean confirm, int seconds,
                                      long microseconds) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6PingAddress(%s)\n", Shown(ipStr));
  int result = 0;
  const int pid = static_cast<int>(getpid());

  const int sock = DIPv6GetICMPv6Socket();
  if (sock < 0) {
    genXPLTrace("-- DIPv6PingAddress() : Unable to get socket id!\n", 4);
    genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6PingAddress(%d)\n", result);
    return result;
  }

  char hostName[kHostNameSize];
  hostName[0] = '\0';
  addrinfo* list = nullptr;
  const int nameError = GetNameInfoForWindows(ipStr, hostName, 6);
  if (nameError != 0) {
    genXPLTracef(4, "-- DIPv6PingAddress() : Unable to getnameinfo[errno=%d]!\n", nameError);
  } else {
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    hints.ai_family = AF_INET6;
    int rc = _ZWgetaddrinfo(hostName, nullptr, &hints, &list);
    if (rc == 0 && list == nullptr) rc = EAI_NONAME;
    if (rc != 0) {
      genXPLTracef(4, "-- DIPv6PingAddress() : Unable to get addrinfo[errno=%d]!\n", rc);
    } else {
      const int sent = DIPv6SendPing(sock, list, pid);
      _ZWfreeaddrinfo(list);
      if (sent < 0) {
        genXPLTrace("-- DIPv6PingAddress() : Unable to send ICMPv6 ECHO request\n", 4);
      } else if (confirm != E_KBTrue) {
        result = 1;
      } else {
        auto* from = static_cast<sockaddr_in6*>(calloc(1, sizeof(sockaddr_in6)));
        if (from == nullptr) {
          genXPLTrace("-- DIPv6PingAddress() : Memory error, unable to create scokaddr struct!\n", 4);
        } else {
          // The wait never outlasts seconds + microseconds from here,
          // however many other messages arrive meanwhile.
          const long long limit = (seconds > 0 ? static_cast<long long>(seconds) * 1000000 : 0) +
                                  (microseconds > 0 ? microseconds : 0);
          const Clock::time_point deadline = Clock::now() + std::chrono::microseconds(limit);
          for (;;) {
            const WaitResult waited = WaitReadable(sock, deadline);
            if (waited == WaitResult::kTimeout) {
              genXPLTrace("-- DIPv6PingAddress() : Ping timeout!\n", 4);
              break;
            }
            if (waited == WaitResult::kFailed) {
              genXPLTracef(4, "-- DIPv6PingAddress() : wait failed[errno=%d]!\n", errno);
              break;
            }
            char reply[kReplyBufferSize];
            socklen_t fromLength = sizeof(sockaddr_in6);
            const ssize_t got = recvfrom(sock, reply, sizeof(reply), 0,
                                         reinterpret_cast<sockaddr*>(from), &fromLength);
            if (DIPv6VerifyPing(reply, static_cast<int>(got), pid) == 1) {
              result = 1;
              genXPLTracef(4, "-- DIPv6PingAddress() : Ping received correct response from[%s]!\n",
                           Shown(ipStr));
              break;
            }
            // Another message: the deadline holds all the same (a steady
            // stream of them keeps the socket readable past it).
            if (Clock::now() >= deadline) {
              genXPLTrace("-- DIPv6PingAddress() : Ping timeout!\n", 4);
              break;
            }
          }
          free(from);
        }
      }
    }
  }
  _ZWcloseSocket(sock);
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6PingAddress(%d)\n", result);
  return result;
}

void CDiscoIPv6Agent::DIPv6PingMatchedAddress(const char* ipStdStr, int pfxLength) {
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6PingMatchedAddress(%s/%d)\n", Shown(ipStdStr),
               pfxLength);
  char* prefix = ipStdStr != nullptr ? DIPv6GetPfxFromStdIP(ipStdStr, pfxLength) : nullptr;
  const CKelDoubleList* entries =
      prefix != nullptr && m_ipDataList != nullptr ? m_ipDataList->KTLIterator() : nullptr;
  for (CKelListable* e = entries != nullptr ? entries->KDLHead() : nullptr; e != nullptr;
       e = entries->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKPointer) continue;
    const char* address = static_cast<const char*>(static_cast<CKelPointer*>(e)->KPData());
    if (address == nullptr) continue;
    char* entryPrefix = DIPv6GetPfxFromStdIP(address, pfxLength);
    if (entryPrefix != nullptr && strcmp(entryPrefix, prefix) == 0) {
      char* text = DIPv6Normalization(address, 1);
      if (text != nullptr) {
        DIPv6PingAddress(text, E_KBFalse, kMatchedPingSeconds, 0);
        free(text);
      }
    }
    free(entryPrefix);
  }
  free(prefix);
  genXPLTracef(4, "LEAVE : CDiscoIPv6Agent::DIPv6PingMatchedAddress(%s/%d)\n", Shown(ipStdStr),
               pfxLength);
}
