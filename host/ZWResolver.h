// Name resolution of the portability layer: thin wrappers of the system
// resolver that every resolver call of the agent goes through.
//
// Lists from _ZWgetaddrinfo hold each (family, address) once, in the
// resolver's order: the system resolver answers a query without socket
// type once per socket type, and callers want addresses, not sockets.
// They are released with _ZWfreeaddrinfo, never with freeaddrinfo.
//
// A names overlay (a hosts-format table) may be installed before the
// workers start; it is then consulted before the system resolver by both
// directions. All functions are safe from many threads at once.
#ifndef HOST_ZWRESOLVER_H_
#define HOST_ZWRESOLVER_H_

#include <netdb.h>
#include <sys/socket.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// getaddrinfo, with duplicate addresses removed. Same results and error
// codes as getaddrinfo; `*res` is set only on success.
int _ZWgetaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** res);
// Releases a list from _ZWgetaddrinfo (null is allowed).
void _ZWfreeaddrinfo(addrinfo* res);
// getnameinfo; returns 0 or an EAI_* error code.
int _ZWgetnameinfo(const sockaddr* sa, socklen_t salen, char* host, socklen_t hostlen, char* serv,
                   socklen_t servlen, int flags);
// gai_strerror.
const char* _ZWgai_strerror(int error);
// Turns on (empty) or off (forgetting every answer) the run's cache of
// answers: while on, each address's name (_ZWgetnameinfo without service)
// and each name's addresses (_ZWgetaddrinfo without service, per hints)
// goes to the resolver at most once, whatever the number of threads asking
// (a thread asking what another is asking waits for that answer; no lock
// is held while the resolver works). Answers that a name does not exist are
// kept too; temporary failures are not. Installing a names overlay empties
// it. Off at start; the runner turns it on for a run.
void ZWSetLookupCache(bool on);
// Questions the cache passed on to the resolver since it was turned on.
long ZWLookupsAsked();
// Seconds the calling thread has spent in _ZWgetaddrinfo and _ZWgetnameinfo
// since it started (names overlay included). Each thread counts its own.
double ZWLookupSeconds();

// A line of a user's file that holds something but is not used: its number
// (from 1) and why, as a phrase that does not repeat the line.
struct ZWUnusedLine {
  int line;
  std::string why;
};

// A hosts-format table: "address name [alias...]" lines, "#" comments.
class ZWNamesOverlay {
 public:
  // Parses hosts-format text. A line whose first word is not an IPv4 or
  // IPv6 address, that has no name after the address or that holds a NUL
  // byte is skipped, and listed in `*unused` when given.
  static std::shared_ptr<ZWNamesOverlay> FromText(const std::string& text,
                                                  std::vector<ZWUnusedLine>* unused = nullptr);
  // Reads a file; null (with `*error` set) when it cannot be read.
  static std::shared_ptr<ZWNamesOverlay> FromFile(const std::string& path, std::string* error,
                                                  std::vector<ZWUnusedLine>* unused = nullptr);

  // The addresses of `name` (case-insensitive) of family AF_INET or AF_INET6
  // (AF_UNSPEC: both), each once, in file order. Empty when unknown.
  std::vector<std::string> Addresses(const std::string& name, int family) const;
  // The first name of the first line holding the address (compared as
  // parsed bytes); "" when unknown.
  std::string NameOf(int family, const void* address) const;
  int Size() const { return static_cast<int>(m_Entries.size()); }

 private:
  struct Entry {
    int family;
    unsigned char bytes[16];
    std::string text;
    std::vector<std::string> names;
  };
  static std::string AddressKey(int family, const void* address);
  std::vector<Entry> m_Entries;
  // Lower-case name -> entries naming it, in file order.
  std::unordered_map<std::string, std::vector<size_t>> m_ByName;
  // Address key -> first entry holding it.
  std::unordered_map<std::string, size_t> m_ByAddress;
};

// Installs (or with null removes) the overlay. Call before worker threads
// start resolving; the overlay is then only read.
void ZWSetNamesOverlay(std::shared_ptr<const ZWNamesOverlay> overlay);

#endif  // HOST_ZWRESOLVER_H_
