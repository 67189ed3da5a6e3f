// A listable that counts the living ones: a test sees whether a container deleted, kept or copied it.
#ifndef TESTS_UNIT_HOST_COUNTINGLISTABLE_H_
#define TESTS_UNIT_HOST_COUNTINGLISTABLE_H_
#include <atomic>
#include "host/CKelListable.h"

struct CountingListable : CKelListable {
  explicit CountingListable(int tag) : tag(tag) { ++Alive(); }
  ~CountingListable() override { --Alive(); }
  CKelListable* KLClone() const override { return new CountingListable(tag); }
  EKelListableKind KLKind() const override { return E_KLKPointer; }  // atom lists skip it when printing
  static std::atomic<int>& Alive() { static std::atomic<int> alive{0}; return alive; }
  int tag;
};
#endif  // TESTS_UNIT_HOST_COUNTINGLISTABLE_H_
