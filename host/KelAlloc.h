// The record library's allocations. Every object of the library (atoms,
// var binds, records, lists, trees, pointers, addresses), every text it
// copies and its lists' storage is allocated here. A failed allocation is
// reported at once (error -220553, no message, source KelAlloc.cc) and
// gives null, or KEL_ERR_NO_MEMORY from the operation that needed it, never
// an exception.
//
// `new CKelAtom(...)` (plain or std::nothrow) of a library class gives null
// when the object's memory runs out; a constructor that must copy more (a
// text, a list) throws std::bad_alloc instead, so KelNew is the way to make
// such an object without an exception. Thread-safe.
#ifndef HOST_KELALLOC_H_
#define HOST_KELALLOC_H_

#include <cstddef>
#include <new>
#include <utility>

// malloc'ed memory (free() releases it), or null when memory runs out.
void* KelAllocate(size_t size) noexcept;
// A KelAllocate'd copy of `text` ("" for null); null when memory runs out.
char* KelDupText(const char* text) noexcept;

// A new T, or null when memory runs out.
template <typename T, typename... Args>
T* KelNew(Args&&... args) noexcept {
  try {
    return new T(std::forward<Args>(args)...);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// The library's standard containers allocate here too (throwing
// std::bad_alloc, which the library turns into a status at its boundary).
template <typename T>
struct KelAllocator {
  using value_type = T;
  KelAllocator() = default;
  template <typename U>
  KelAllocator(const KelAllocator<U>&) noexcept {}  // NOLINT: converting, as allocators are
  T* allocate(size_t n) {
    void* p = n <= static_cast<size_t>(-1) / sizeof(T) ? KelAllocate(n * sizeof(T)) : nullptr;
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) noexcept;
  template <typename U>
  bool operator==(const KelAllocator<U>&) const noexcept { return true; }
  template <typename U>
  bool operator!=(const KelAllocator<U>&) const noexcept { return false; }
};
void KelRelease(void* p) noexcept;
template <typename T>
void KelAllocator<T>::deallocate(T* p, size_t) noexcept { KelRelease(p); }

// Class-scope allocation functions for the library's classes: plain and
// std::nothrow `new` both give null when memory runs out.
#define KEL_ALLOCATED_HERE                                                                           \
  static void* operator new(size_t size) noexcept { return KelAllocate(size); }                     \
  static void* operator new(size_t size, const std::nothrow_t&) noexcept { return KelAllocate(size); } \
  static void operator delete(void* p) noexcept { KelRelease(p); }                                   \
  static void operator delete(void* p, const std::nothrow_t&) noexcept { KelRelease(p); }

// For tests: on the calling thread, lets `n` more allocations succeed and
// fails the one after (n = 0: the next); a negative `n` lets all succeed.
// Returns how many allocations the thread made since the previous call.
long KelFailAllocationAfter(long n);

#endif  // HOST_KELALLOC_H_
