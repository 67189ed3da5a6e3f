#include "host/ZWNameWarmer.h"

#include <netdb.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "host/ZWLookupCache.h"
#include "host/ZWResolver.h"

namespace {

// The queue and its threads; the threads start with the first addresses and
// end when warming stops (at the latest when the process ends).
class Warmer {
 public:
  ~Warmer() { Stop(); }

  void Add(const std::vector<in6_addr>& addresses) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Queue.insert(m_Queue.end(), addresses.begin(), addresses.end());
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
      in6_addr address;
      {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Ready.wait(lock, [this] { return m_Stopping || !m_Queue.empty(); });
        if (m_Stopping) return;
        address = m_Queue.front();
        m_Queue.pop_front();
      }
      sockaddr_in6 sa{};  // as the agent builds it, so that the cache answers the agent
      sa.sin6_family = AF_INET6;
      sa.sin6_addr = address;
      char name[NI_MAXHOST];
      if (_ZWgetnameinfo(reinterpret_cast<const sockaddr*>(&sa), sizeof sa, name, sizeof name, nullptr, 0,
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
  std::deque<in6_addr> m_Queue;
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

void ZWStopWarming() { TheWarmer().Stop(); }
