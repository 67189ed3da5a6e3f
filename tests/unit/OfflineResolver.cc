// Unit tests never ask the system resolver. Every unit test executable links this file: an
// executable's definitions come first in the dynamic lookup, also for the calls the host library
// makes, so these stand in front of the C library's. Numeric texts still convert; a name is
// unknown and an address has no name. Names a test needs come from the names overlay.
#include <dlfcn.h>
#include <netdb.h>

extern "C" int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
                           struct addrinfo** res) {
  using Real = int (*)(const char*, const char*, const struct addrinfo*, struct addrinfo**);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
  struct addrinfo numeric = {};
  if (hints != nullptr) numeric = *hints;
  numeric.ai_flags |= AI_NUMERICHOST;
  return real(node, service, &numeric, res);
}

extern "C" int getnameinfo(const struct sockaddr* sa, socklen_t salen, char* host,
                           socklen_t hostlen, char* serv, socklen_t servlen, int flags) {
  using Real = int (*)(const struct sockaddr*, socklen_t, char*, socklen_t, char*, socklen_t, int);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getnameinfo"));
  if (host != nullptr && hostlen > 0 && (flags & NI_NAMEREQD) != 0) return EAI_NONAME;
  return real(sa, salen, host, hostlen, serv, servlen, flags | NI_NUMERICHOST);
}
