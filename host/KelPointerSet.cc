#include "host/KelPointerSet.h"

#include <cstdint>

bool KelPointerSet::Insert(const void* p) {
  if ((m_Count + 1) * 2 > m_Slots.size()) Grow();  // at most half full: short probes
  const void*& slot = m_Slots[SlotOf(p)];
  if (slot == p) return false;
  slot = p;
  ++m_Count;
  return true;
}

bool KelPointerSet::Contains(const void* p) const { return !m_Slots.empty() && m_Slots[SlotOf(p)] == p; }

size_t KelPointerSet::SlotOf(const void* p) const {
  // Multiplying by 2^64 / phi, then folding the high half down, spreads the
  // aligned addresses of one allocator over the low bits.
  const size_t mask = m_Slots.size() - 1;
  uint64_t h = (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) >> 4) * 0x9E3779B97F4A7C15ull;
  size_t slot = static_cast<size_t>(h ^ (h >> 32)) & mask;
  while (m_Slots[slot] != nullptr && m_Slots[slot] != p) slot = (slot + 1) & mask;
  return slot;
}

void KelPointerSet::Grow() {
  std::vector<const void*> old(m_Slots.empty() ? 16 : m_Slots.size() * 2, nullptr);
  old.swap(m_Slots);
  for (const void* p : old) {
    if (p != nullptr) m_Slots[SlotOf(p)] = p;
  }
}
