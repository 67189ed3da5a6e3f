#include "host/ZWNameWarmer.h"

#include <netdb.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <type_traits>

#include "host/ZWLookupCache.h"
#include "host/ZWResolver.h"

namespace {

// The queue and its threads; the threads start with the first addresses and
// end when warming stops (at the latest when the process ends).
class Warmer {
 public:
  ~Warmer() { Stop(); }

  // An address to name, as the agent hands it to the resolver.
  union Address {
    sockaddr_in v4;
    sockaddr_in6 v6;
  };

  template <typename T>
  void Add(const std::vector<T>& addresses) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (const T& bytes : addresses) {
      Address a{};
      if constexpr (std::is_same<T, in6_addr>::value) {
        a.v6.sin6_family = AF_INET6;
        a.v6.sin6_addr = bytes;
      } else {
        a.v4.sin_family = AF_INET;
        a.v4.sin_addr = bytes;
      }
      m_Queue.push_back(a);
    }
    while (m_Threads.size() < static_cast<size_t>(kZWWarmLookups) && m_Threads.size() < m_Queue.size()) {
      m_Threads.emplace_back([this] { Work(); });
    }
    m_Ready.notify_all();
  }

  void Stop() {
    std::vector<std::thread> threads;
    {
      std::lock_guard<std::mutex> lock(m_Mutex);
      m_Queue.clear();
      m_Stopping = true;
      threads.swap(m_Threads);
    }
    m_Ready.notify_all();
    for (std::thread& thread : threads) thread.join();
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Stopping = false;
  }

 private:
  void Work() {
    for (;;) {
      Address address;
      {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Ready.wait(lock, [this] { return m_Stopping || !m_Queue.empty(); });
        if (m_Stopping) return;
        address = m_Queue.front();
        m_Queue.pop_front();
      }
      // Built as the agent builds it, so that the cache answers the agent.
      const socklen_t length = address.v4.sin_family == AF_INET ? sizeof address.v4 : sizeof address.v6;
      char name[NI_MAXHOST];
      if (_ZWgetnameinfo(reinterpret_cast<const sockaddr*>(&address), length, name, sizeof name, nullptr, 0,
                         NI_NAMEREQD) == 0) {
        // The agent then asks the name's IPv4 addresses, with these hints.
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo* list = nullptr;
        if (_ZWgetaddrinfo(name, nullptr, &hints, &list) == 0) _ZWfreeaddrinfo(list);
      }
    }
  }

  std::mutex m_Mutex;  // guards the three below; never held during a lookup
  std::condition_variable m_Ready;
  std::deque<Address> m_Queue;
  std::vector<std::thread> m_Threads;
  bool m_Stopping = false;
};

Warmer& TheWarmer() {
  static Warmer warmer;
  return warmer;
}

}  // namespace

void ZWWarmAddressNames(const std::vector<in6_addr>& addresses) {
  if (addresses.empty() || !ZWLookupCacheOn()) return;
  TheWarmer().Add(addresses);
}

void ZWWarmIPv4AddressNames(const std::vector<in_addr>& addresses) {
  if (addresses.empty() || !ZWLookupCacheOn()) return;
  TheWarmer().Add(addresses);
}

void ZWStopWarming() { TheWarmer().Stop(); }
