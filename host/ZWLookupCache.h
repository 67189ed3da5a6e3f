// The resolver's answers kept for one run and shared by every thread, so
// that each question (an address's name, a name's addresses) goes to the
// resolver at most once a run however many NEs and threads ask it. A
// thread asking what another is asking waits for that answer; no lock is
// held while the resolver works. Names and "no such name" answers are kept
// alike; temporary failures (EAI_AGAIN, EAI_MEMORY, EAI_SYSTEM) are not.
// Internal to the portability layer's resolver (ZWResolver.cc), which
// switches it with ZWSetLookupCache. Thread-safe.
#ifndef HOST_ZWLOOKUPCACHE_H_
#define HOST_ZWLOOKUPCACHE_H_

#include <sys/socket.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct ZWCachedAnswer {
  struct Address {
    int family = 0, socktype = 0, protocol = 0;
    sockaddr_storage addr{};
    socklen_t addrlen = 0;
    bool hasCanonName = false;
    std::string canonName;
  };
  int rc = 0;                      // 0 or an EAI_* code
  std::string name;                // an address's name
  std::vector<Address> addresses;  // a name's addresses, in the resolver's order
};

// The answer to the question `key`: kept from earlier, or made now by
// `ask` (once, for every thread asking meanwhile). With the cache off,
// `ask` answers every time.
std::shared_ptr<const ZWCachedAnswer> ZWCachedLookup(const std::string& key,
                                                     const std::function<ZWCachedAnswer()>& ask);

// Turns the cache on (empty) or off (forgetting every answer); also empties
// it when the names overlay changes.
void ZWLookupCacheSwitch(bool on);
void ZWLookupCacheClear();
// Questions passed on to `ask` since the cache was last turned on.
long ZWLookupCacheAsked();
bool ZWLookupCacheOn();

#endif  // HOST_ZWLOOKUPCACHE_H_
