#include "engine/RecordTargets.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>

#include "host/ZWResolver.h"

namespace {

// The addresses of `name` of `family`, in the resolver's order.
void AddAddresses(const std::string& name, int family, std::vector<std::string>* out) {
  addrinfo hints = {};
  hints.ai_family = family;
  addrinfo* list = nullptr;
  if (_ZWgetaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) return;
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
    char text[INET6_ADDRSTRLEN];
    const void* bytes = a->ai_family == AF_INET
                            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr)
                            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr);
    if (a->ai_family == family && inet_ntop(family, bytes, text, sizeof(text)) != nullptr &&
        std::find(out->begin(), out->end(), text) == out->end()) {
      out->push_back(text);
    }
  }
  _ZWfreeaddrinfo(list);
}

}  // namespace

std::vector<std::string> DERecordTargets(const std::string& ne) {
  const std::string address = ne.substr(0, ne.find('/'));
  std::vector<std::string> targets;
  in_addr v4;
  sockaddr_in6 v6 = {};
  char text[INET6_ADDRSTRLEN];
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
    inet_ntop(AF_INET, &v4, text, sizeof(text));
    targets.push_back(text);
  } else if (inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) == 1) {
    v6.sin6_family = AF_INET6;
    char name[NI_MAXHOST];
    if (_ZWgetnameinfo(reinterpret_cast<const sockaddr*>(&v6), sizeof(v6), name, sizeof(name), nullptr, 0,
                       NI_NAMEREQD) == 0) {
      AddAddresses(name, AF_INET, &targets);
    }
    inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof(text));
    if (std::find(targets.begin(), targets.end(), text) == targets.end()) targets.push_back(text);
  } else {
    AddAddresses(address, AF_INET, &targets);
    AddAddresses(address, AF_INET6, &targets);
  }
  return targets;
}
