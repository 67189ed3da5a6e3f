// A set of pointers in one open-addressed table: a slot of 8 bytes per
// element and no allocation per element, for stores that must refuse a
// second hold of the same object among millions. Used by one thread at a
// time.
#ifndef HOST_KELPOINTERSET_H_
#define HOST_KELPOINTERSET_H_

#include <cstddef>
#include <vector>

class KelPointerSet {
 public:
  // Adds `p` (not null). Returns false when the set holds it already.
  // Throws std::bad_alloc when the table cannot grow; the set is then
  // unchanged.
  bool Insert(const void* p);
  // Makes room for one more, so that the next Insert cannot throw. Throws
  // std::bad_alloc when the table cannot grow; the set is then unchanged.
  void ReserveOne();
  bool Contains(const void* p) const;

 private:
  size_t SlotOf(const void* p) const;  // where `p` is, or the empty slot for it
  void Grow();

  std::vector<const void*> m_Slots;  // a power of two; null marks an empty slot
  size_t m_Count = 0;
};

#endif  // HOST_KELPOINTERSET_H_
