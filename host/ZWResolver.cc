#include "host/ZWResolver.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "host/ZWLookupCache.h"
#include "host/ZWNameWarmer.h"

namespace {

std::mutex g_OverlayMutex;

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return out;
}
std::shared_ptr<const ZWNamesOverlay> g_Overlay;

thread_local double t_LookupSeconds = 0;

// Adds the time from its construction to its destruction to the thread's
// lookup time.
struct LookupTimer {
  const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  ~LookupTimer() {
    t_LookupSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
};

std::shared_ptr<const ZWNamesOverlay> CurrentOverlay() {
  std::lock_guard<std::mutex> lock(g_OverlayMutex);
  return g_Overlay;
}

// One node of our own lists: the addrinfo, its socket address and its
// canonical name live in one malloc'ed block, freed by _ZWfreeaddrinfo.
addrinfo* NewNode(int family, int socktype, int protocol, const sockaddr* addr, socklen_t addrlen,
                  const char* canonname) {
  size_t nameLen = canonname != nullptr ? strlen(canonname) + 1 : 0;
  size_t size = sizeof(addrinfo) + sizeof(sockaddr_storage) + nameLen;
  auto* block = static_cast<unsigned char*>(calloc(1, size));
  if (block == nullptr) return nullptr;
  auto* node = reinterpret_cast<addrinfo*>(block);
  auto* storage = reinterpret_cast<sockaddr*>(block + sizeof(addrinfo));
  memcpy(storage, addr, addrlen);
  node->ai_family = family;
  node->ai_socktype = socktype;
  node->ai_protocol = protocol;
  node->ai_addr = storage;
  node->ai_addrlen = addrlen;
  if (canonname != nullptr) {
    node->ai_canonname = reinterpret_cast<char*>(block + sizeof(addrinfo) + sizeof(sockaddr_storage));
    memcpy(node->ai_canonname, canonname, nameLen);
  }
  return node;
}

bool SameAddress(const addrinfo* a, const addrinfo* b) {
  if (a->ai_family != b->ai_family) return false;
  if (a->ai_family == AF_INET) {
    return memcmp(&reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr,
                  &reinterpret_cast<const sockaddr_in*>(b->ai_addr)->sin_addr, 4) == 0;
  }
  if (a->ai_family == AF_INET6) {
    return memcmp(&reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr,
                  &reinterpret_cast<const sockaddr_in6*>(b->ai_addr)->sin6_addr, 16) == 0;
  }
  return a->ai_addrlen == b->ai_addrlen && memcmp(a->ai_addr, b->ai_addr, a->ai_addrlen) == 0;
}

// Appends `node` to the list ending at `*tail` unless an equal address is
// already listed (then frees it). Linear per node: resolver answers are short.
void AppendUnique(addrinfo** head, addrinfo** tail, addrinfo* node) {
  for (addrinfo* p = *head; p != nullptr; p = p->ai_next) {
    if (SameAddress(p, node)) {
      free(node);
      return;
    }
  }
  if (*tail == nullptr) {
    *head = node;
  } else {
    (*tail)->ai_next = node;
  }
  *tail = node;
}

// Answers from the overlay, or EAI_NONAME when it does not know the name.
int OverlayGetAddrInfo(const ZWNamesOverlay& overlay, const char* node, const addrinfo* hints,
                       addrinfo** res) {
  int family = hints != nullptr ? hints->ai_family : AF_UNSPEC;
  std::vector<std::string> addresses = overlay.Addresses(node, family);
  if (addresses.empty()) return EAI_NONAME;
  addrinfo* head = nullptr;
  addrinfo* tail = nullptr;
  bool canon = hints != nullptr && (hints->ai_flags & AI_CANONNAME) != 0;
  for (const std::string& text : addresses) {
    sockaddr_storage ss{};
    socklen_t len;
    int fam;
    if (inet_pton(AF_INET, text.c_str(), &reinterpret_cast<sockaddr_in*>(&ss)->sin_addr) == 1) {
      fam = AF_INET;
      reinterpret_cast<sockaddr_in*>(&ss)->sin_family = AF_INET;
      len = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, text.c_str(), &reinterpret_cast<sockaddr_in6*>(&ss)->sin6_addr) ==
               1) {
      fam = AF_INET6;
      reinterpret_cast<sockaddr_in6*>(&ss)->sin6_family = AF_INET6;
      len = sizeof(sockaddr_in6);
    } else {
      continue;
    }
    addrinfo* n = NewNode(fam, hints != nullptr ? hints->ai_socktype : 0,
                          hints != nullptr ? hints->ai_protocol : 0,
                          reinterpret_cast<sockaddr*>(&ss), len,
                          canon && head == nullptr ? node : nullptr);
    if (n == nullptr) {
      _ZWfreeaddrinfo(head);
      return EAI_MEMORY;
    }
    AppendUnique(&head, &tail, n);
  }
  if (head == nullptr) return EAI_NONAME;
  *res = head;
  return 0;
}

}  // namespace

// getaddrinfo with the overlay first and duplicates removed; no cache.
static int ForwardUncached(const char* node, const char* service, const addrinfo* hints, addrinfo** res) {
  std::shared_ptr<const ZWNamesOverlay> overlay = CurrentOverlay();
  if (overlay != nullptr && node != nullptr && service == nullptr) {
    int rc = OverlayGetAddrInfo(*overlay, node, hints, res);
    if (rc != EAI_NONAME) return rc;
  }
  addrinfo* system = nullptr;
  int rc = getaddrinfo(node, service, hints, &system);
  if (rc != 0) return rc;
  addrinfo* head = nullptr;
  addrinfo* tail = nullptr;
  for (addrinfo* p = system; p != nullptr; p = p->ai_next) {
    addrinfo* n = NewNode(p->ai_family, p->ai_socktype, p->ai_protocol, p->ai_addr, p->ai_addrlen,
                          p->ai_canonname);
    if (n == nullptr) {
      _ZWfreeaddrinfo(head);
      freeaddrinfo(system);
      return EAI_MEMORY;
    }
    AppendUnique(&head, &tail, n);
  }
  freeaddrinfo(system);
  if (head == nullptr) return EAI_NONAME;
  *res = head;
  return 0;
}

void _ZWfreeaddrinfo(addrinfo* res) {
  while (res != nullptr) {
    addrinfo* next = res->ai_next;
    free(res);  // one block per node
    res = next;
  }
}

// getnameinfo with the overlay first; no cache.
static int ReverseUncached(const sockaddr* sa, socklen_t salen, char* host, socklen_t hostlen, char* serv,
                           socklen_t servlen, int flags) {
  std::shared_ptr<const ZWNamesOverlay> overlay = CurrentOverlay();
  if (overlay != nullptr && sa != nullptr && host != nullptr && hostlen > 0 && serv == nullptr) {
    std::string name;
    if (sa->sa_family == AF_INET && salen >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
      name = overlay->NameOf(AF_INET, &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr);
    } else if (sa->sa_family == AF_INET6 && salen >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
      name = overlay->NameOf(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr);
    }
    if (!name.empty()) {
      if (name.size() + 1 > hostlen) return EAI_OVERFLOW;
      memcpy(host, name.c_str(), name.size() + 1);
      return 0;
    }
  }
  return getnameinfo(sa, salen, host, hostlen, serv, servlen, flags);
}

// The question's key: what the answer depends on besides the overlay.
static std::string Key(char kind, const void* bytes, size_t size, const std::string& more) {
  return kind + more + '\0' + std::string(static_cast<const char*>(bytes), size);
}

// The answer of the resolver (overlay first) to the addresses of `node`.
static ZWCachedAnswer ForwardAnswer(const char* node, const addrinfo* hints) {
  ZWCachedAnswer made;
  addrinfo* list = nullptr;
  made.rc = ForwardUncached(node, nullptr, hints, &list);
  std::unique_ptr<addrinfo, void (*)(addrinfo*)> owned(list, _ZWfreeaddrinfo);
  for (const addrinfo* p = made.rc == 0 ? list : nullptr; p != nullptr; p = p->ai_next) {
    ZWCachedAnswer::Address& a = made.addresses.emplace_back();
    a.family = p->ai_family, a.socktype = p->ai_socktype, a.protocol = p->ai_protocol;
    a.addrlen = std::min<socklen_t>(p->ai_addrlen, sizeof a.addr);
    memcpy(&a.addr, p->ai_addr, a.addrlen);
    a.hasCanonName = p->ai_canonname != nullptr;
    if (a.hasCanonName) a.canonName = p->ai_canonname;
  }
  return made;
}

int _ZWgetaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** res) {
  if (res == nullptr) return EAI_FAIL;
  LookupTimer timer;
  if (node == nullptr || service != nullptr) return ForwardUncached(node, service, hints, res);
  const addrinfo h = hints != nullptr ? *hints : addrinfo{};
  const std::string more = std::to_string(h.ai_family) + "," + std::to_string(h.ai_socktype) + "," +
                           std::to_string(h.ai_protocol) + "," + std::to_string(h.ai_flags);
  std::shared_ptr<const ZWCachedAnswer> answer;
  try {
    answer = ZWCachedLookup(Key('f', node, strlen(node), more), [&] { return ForwardAnswer(node, hints); });
  } catch (const std::exception&) {  // memory ran out: as the resolver says it
    return EAI_MEMORY;
  }
  if (answer->rc != 0) return answer->rc;
  addrinfo* head = nullptr;
  addrinfo* tail = nullptr;
  for (const ZWCachedAnswer::Address& a : answer->addresses) {
    addrinfo* n = NewNode(a.family, a.socktype, a.protocol, reinterpret_cast<const sockaddr*>(&a.addr), a.addrlen,
                          a.hasCanonName ? a.canonName.c_str() : nullptr);
    if (n == nullptr) {
      _ZWfreeaddrinfo(head);
      return EAI_MEMORY;
    }
    (tail == nullptr ? head : tail->ai_next) = n;
    tail = n;
  }
  *res = head;
  return head != nullptr ? 0 : EAI_NONAME;
}

int _ZWgetnameinfo(const sockaddr* sa, socklen_t salen, char* host, socklen_t hostlen, char* serv,
                   socklen_t servlen, int flags) {
  LookupTimer timer;
  if (sa == nullptr || host == nullptr || hostlen == 0 || serv != nullptr ||
      salen > static_cast<socklen_t>(sizeof(sockaddr_storage))) {
    return ReverseUncached(sa, salen, host, hostlen, serv, servlen, flags);
  }
  std::shared_ptr<const ZWCachedAnswer> answer;
  try {
    answer = ZWCachedLookup(Key('r', sa, salen, std::to_string(flags)), [&] {
      ZWCachedAnswer made;
      char name[NI_MAXHOST];
      made.rc = ReverseUncached(sa, salen, name, sizeof name, nullptr, 0, flags);
      if (made.rc == 0) made.name = name;
      return made;
    });
  } catch (const std::exception&) {  // memory ran out: as the resolver says it
    return EAI_MEMORY;
  }
  if (answer->rc != 0) return answer->rc;
  if (answer->name.size() + 1 > hostlen) return EAI_OVERFLOW;
  memcpy(host, answer->name.c_str(), answer->name.size() + 1);
  return 0;
}

const char* _ZWgai_strerror(int error) { return gai_strerror(error); }

void ZWSetLookupCache(bool on) {
  if (!on) ZWStopWarming();
  ZWLookupCacheSwitch(on);
}

long ZWLookupsAsked() { return ZWLookupCacheAsked(); }

double ZWLookupSeconds() { return t_LookupSeconds; }

std::shared_ptr<ZWNamesOverlay> ZWNamesOverlay::FromText(const std::string& text,
                                                         std::vector<ZWUnusedLine>* unused) {
  auto overlay = std::make_shared<ZWNamesOverlay>();
  std::istringstream in(text);
  std::string line;
  int number = 0;
  auto skip = [&](const char* why) {
    if (unused != nullptr) unused->push_back({number, why});
  };
  while (std::getline(in, line)) {
    ++number;
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::string address;
    if (!(words >> address)) continue;
    // The C library would read such a line only up to the NUL.
    if (line.find('\0') != std::string::npos) {
      skip("ignored: it holds a NUL byte");
      continue;
    }
    Entry e{};
    e.text = address;
    if (inet_pton(AF_INET, address.c_str(), e.bytes) == 1) {
      e.family = AF_INET;
    } else if (inet_pton(AF_INET6, address.c_str(), e.bytes) == 1) {
      e.family = AF_INET6;
    } else {
      skip("ignored: the first word is not an IPv4 or IPv6 address");
      continue;
    }
    std::string name;
    while (words >> name) e.names.push_back(name);
    if (e.names.empty()) {
      skip("ignored: no name after the address");
      continue;
    }
    size_t index = overlay->m_Entries.size();
    for (const std::string& n : e.names) {
      std::vector<size_t>& entries = overlay->m_ByName[Lower(n)];
      if (entries.empty() || entries.back() != index) entries.push_back(index);
    }
    overlay->m_ByAddress.emplace(AddressKey(e.family, e.bytes), index);
    overlay->m_Entries.push_back(std::move(e));
  }
  return overlay;
}

std::string ZWNamesOverlay::AddressKey(int family, const void* address) {
  return std::string(1, static_cast<char>(family)) +
         std::string(static_cast<const char*>(address), family == AF_INET ? 4 : 16);
}

std::shared_ptr<ZWNamesOverlay> ZWNamesOverlay::FromFile(const std::string& path, std::string* error,
                                                         std::vector<ZWUnusedLine>* unused) {
  std::ifstream in(path);
  if (!in) {
    if (error != nullptr) *error = "cannot read " + path + ": " + strerror(errno);
    return nullptr;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return FromText(text.str(), unused);
}

std::vector<std::string> ZWNamesOverlay::Addresses(const std::string& name, int family) const {
  std::vector<std::string> out;
  auto found = m_ByName.find(Lower(name));
  if (found == m_ByName.end()) return out;
  std::vector<std::string> seen;  // address keys already listed
  for (size_t index : found->second) {
    const Entry& e = m_Entries[index];
    if (family != AF_UNSPEC && e.family != family) continue;
    std::string key = AddressKey(e.family, e.bytes);
    bool dup = false;
    for (const std::string& k : seen) dup = dup || k == key;
    if (dup) continue;
    seen.push_back(key);
    out.push_back(e.text);
  }
  return out;
}

std::string ZWNamesOverlay::NameOf(int family, const void* address) const {
  if (family != AF_INET && family != AF_INET6) return "";
  auto found = m_ByAddress.find(AddressKey(family, address));
  return found != m_ByAddress.end() ? m_Entries[found->second].names.front() : "";
}

void ZWSetNamesOverlay(std::shared_ptr<const ZWNamesOverlay> overlay) {
  {
    std::lock_guard<std::mutex> lock(g_OverlayMutex);
    g_Overlay = std::move(overlay);
  }
  ZWLookupCacheClear();  // the kept answers came from the other overlay
}
