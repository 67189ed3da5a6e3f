// Counts of the requests a requester made, for reports and tests.
// Counting is thread-safe; a snapshot is a plain copy.
#ifndef SNMP_REQUESTCOUNTS_H_
#define SNMP_REQUESTCOUNTS_H_

#include <atomic>

namespace snmp {

struct RequestCounts {
  long gets = 0;      // DSRSnmpGet calls that reached a device
  long walks = 0;     // DSRSnmpGetNext calls that reached a device
  long pdus = 0;      // request PDUs sent (the library's retransmissions not counted)
  long noAnswer = 0;  // GETs and walks that got no reply at all
};

class RequestCounter {
 public:
  void AddGet() { m_Gets.fetch_add(1, std::memory_order_relaxed); }
  void AddWalk() { m_Walks.fetch_add(1, std::memory_order_relaxed); }
  void AddPdus(long n) { m_Pdus.fetch_add(n, std::memory_order_relaxed); }
  void AddNoAnswer() { m_NoAnswer.fetch_add(1, std::memory_order_relaxed); }

  RequestCounts Snapshot() const {
    RequestCounts counts;
    counts.gets = m_Gets.load(std::memory_order_relaxed);
    counts.walks = m_Walks.load(std::memory_order_relaxed);
    counts.pdus = m_Pdus.load(std::memory_order_relaxed);
    counts.noAnswer = m_NoAnswer.load(std::memory_order_relaxed);
    return counts;
  }

  void Reset() {
    m_Gets = 0;
    m_Walks = 0;
    m_Pdus = 0;
    m_NoAnswer = 0;
  }

 private:
  std::atomic<long> m_Gets{0}, m_Walks{0}, m_Pdus{0}, m_NoAnswer{0};
};

}  // namespace snmp

#endif  // SNMP_REQUESTCOUNTS_H_
