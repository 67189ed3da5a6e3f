// Portability layer: path building, address text conversion and the socket
// start-up shims of this platform (POSIX sockets need no start-up).
#ifndef HOST_ZWPLATFORM_H_
#define HOST_ZWPLATFORM_H_

#include <cstddef>
#include <cstdint>

// Default directories behind %ZW_ETC_PATH% and %ZW_VAR_PATH% when the
// environment variables of the same names are unset or empty.
#define ZW_DEFAULT_ETC_PATH "/etc/ipv6disco"
#define ZW_DEFAULT_VAR_PATH "/var/lib/ipv6disco"

// Joins `directory` and `file` with "/" (none is added when `directory` is
// empty or already ends with a separator), replaces the placeholders
// %ZW_ETC_PATH% and %ZW_VAR_PATH% by the environment variables of the same
// names (or the defaults above) and turns every "\" into "/". `flags` is
// reserved (pass 0). The result lives in a buffer of the calling thread
// that the next call on that thread overwrites: copy it at once, never
// free it. Null when `directory` or `file` is null.
const char* _ZWBuildPath(const char* directory, const char* file, int flags);

// inet_pton: 1 when `text` is a valid address of `family` (AF_INET or
// AF_INET6) and `dst` was filled in network order, 0 when it is not, -1
// for an unknown family or null argument.
int _ZWinet_pton(int family, const char* text, void* dst);
// inet_ntop: writes a terminated text into `dst` (of `size` bytes) and
// returns `dst`, or null when the buffer is too small or the family
// unknown.
const char* _ZWinet_ntop(int family, const void* src, char* dst, size_t size);
// Closes a socket. Returns 0 or -1.
int _ZWcloseSocket(int socket);

// Raw sockets: a process-wide switch, on by default. While it is off,
// _ZWsocket refuses every SOCK_RAW socket with EPERM, exactly as the system
// refuses a process without the right to open one, so callers trace and
// recover the way they do then (the runner's replay mode, which must send
// nothing onto the network). Safe from any thread; set it before the
// threads that open sockets start.
void ZWSetRawSocketsAllowed(bool allowed);
bool ZWRawSocketsAllowed();
// socket(2) subject to the switch above: -1 with errno EPERM for a refused
// raw socket, else what socket(2) gives.
int _ZWsocket(int domain, int type, int protocol);

// Socket start-up shims. POSIX sockets need no start-up: both succeed and
// do nothing.
typedef uint16_t WORD;
struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
};
#define MAKEWORD(low, high) static_cast<WORD>(((high) << 8) | (low))
int WSAStartup(WORD version, WSADATA* data);  // 0; fills `data` when given
int WSACleanup();                             // 0

#endif  // HOST_ZWPLATFORM_H_
