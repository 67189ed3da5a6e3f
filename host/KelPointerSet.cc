#include "host/KelPointerSet.h"

#include <cstdint>

void KelPointerSet::ReserveOne() {
  if ((m_Count + 1) * 2 > m_Slots.size()) Grow();  // at most half full: short probes
}

bool KelPointerSet::Contains(const void* p) const { return !m_Slots.empty() && m_Slots[SlotOf(p)] == p; }

bool KelPointerSet::Insert(const void* p) {
  ReserveOne();
  const void*& slot = m_Slots[SlotOf(p)];
  if (slot == p) return false;
  slot = p;
  ++m_Count;
  return true;
}

size_t KelPointerSet::SlotOf(const void* p) const {
  // Neighbouring objects (allocated one after the other) get neighbouring
  // slots, so that filling the set touches memory in order; each 64 MiB of
  // the address space starts at a scattered offset (2^64 / phi times its
  // number), so that distant regions do not pile onto the same slots.
  const size_t mask = m_Slots.size() - 1;
  const uint64_t x = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p));
  size_t slot = static_cast<size_t>((x >> 4) + (x >> 26) * 0x9E3779B97F4A7C15ull) & mask;
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
