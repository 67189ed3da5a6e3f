// An ordered list of listables.
//
// The list owns its elements: deleting the list deletes them, and the copy
// constructor copies every element (deep). KDLSetHead(nullptr) forgets the
// elements without deleting them, for lists that only borrow their elements
// (see CKelTreeList::KTLGetMultiple).
//
// An element may be held at most once by a list. Read-only use (KDLHead,
// KDLGetNext, KDLTail, KDLLength, KDLContains) is safe from many threads at
// once while no one writes.
//
// Cost: a list is a vector of pointers, so an element costs what its data
// costs. Walking with KDLHead/KDLGetNext costs O(1) a step, also when walks
// of other lists are nested inside it (each thread remembers where its
// recent walks stand). Finding an element that is not the next of a walk
// scans a short list and looks up a long one in an index that is built the
// first time it is needed. KDLRemove costs O(length).
#ifndef HOST_CKELDOUBLELIST_H_
#define HOST_CKELDOUBLELIST_H_

#include <atomic>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "host/CKelListable.h"
#include "host/KelAlloc.h"

class CKelDoubleList {
 public:
  KEL_ALLOCATED_HERE
  CKelDoubleList();
  CKelDoubleList(const CKelDoubleList& other);  // deep copy of every element
  CKelDoubleList& operator=(const CKelDoubleList&) = delete;
  virtual ~CKelDoubleList();  // deletes the elements

  // The first element, or null for an empty list. The list keeps it.
  CKelListable* KDLHead() const;
  // The element after `element`, or null at the end of the list or when
  // `element` is not in the list. `element` is only compared, never used,
  // so it may already have been deleted by its owner.
  CKelListable* KDLGetNext(const CKelListable* element) const;
  // The last element, or null for an empty list.
  CKelListable* KDLTail() const;
  int KDLLength() const { return static_cast<int>(m_Items.size()); }
  bool KDLContains(const CKelListable* element) const;

  // Appends `element` and takes it over. Returns 1, KEL_ERR_NULL_ARG for a
  // null element, KEL_ERR_DUPLICATE when the list already holds it, or
  // KEL_ERR_NO_MEMORY; on failure the element stays with the caller.
  int KDLAddToListEnd(CKelListable* element);

  // Unlinks `element` without deleting it; ownership goes back to the
  // caller. Returns 1 or KEL_ERR_NOT_FOUND.
  int KDLRemove(CKelListable* element);

  // With null: forgets every element without deleting it (the caller keeps
  // whatever owned them before). Any other argument is refused with
  // KEL_ERR_WRONG_TYPE. Returns 1 for null.
  int KDLSetHead(CKelListable* head);

  // Deletes every element and empties the list.
  void KDLDeleteAll();

 private:
  friend class CKelTreeList;
  using Index = std::unordered_map<const CKelListable*, size_t>;
  static constexpr size_t kNotFound = static_cast<size_t>(-1);

  // Appends an element the caller knows the list does not hold yet (a fresh
  // copy, a wrapper of a tree), without looking for it first. Throws
  // std::bad_alloc (the element then stays with the caller).
  void AppendUnique(CKelListable* element);
  // The position of `element`, or kNotFound.
  size_t PositionOf(const CKelListable* element) const;
  // The index of a long list, built on first use; null when there is no
  // memory for it (PositionOf then scans).
  const Index* LongIndex() const;
  void DropIndex();

  using Items = std::vector<CKelListable*, KelAllocator<CKelListable*>>;
  Items m_Items;
  mutable std::atomic<Index*> m_Index{nullptr};  // long lists only; see LongIndex
};

#endif  // HOST_CKELDOUBLELIST_H_
