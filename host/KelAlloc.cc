#include "host/KelAlloc.h"

#include <cstdlib>
#include <cstring>

#include "host/KelError.h"
#include "host/KelTypes.h"

namespace {

thread_local long t_Left = -1;  // allocations until the failing one; -1: none fails
thread_local long t_Made = 0;   // allocations since the last KelFailAllocationAfter

}  // namespace

void* KelAllocate(size_t size) noexcept {
  ++t_Made;
  void* p = t_Left >= 0 && t_Left-- == 0 ? nullptr : std::malloc(size != 0 ? size : 1);
  // Reported where it happens: callers may only see a null that can mean
  // "none" too (a missing text, an empty list).
  if (p == nullptr) CKelError(KEL_ERR_NO_MEMORY, __FILE__, __LINE__);
  return p;
}

void KelRelease(void* p) noexcept { std::free(p); }

char* KelDupText(const char* text) noexcept {
  if (text == nullptr) text = "";
  const size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(KelAllocate(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

long KelFailAllocationAfter(long n) {
  const long made = t_Made;
  t_Made = 0;
  t_Left = n < 0 ? -1 : n;
  return made;
}
