// A listable that counts how many of its kind are alive, so tests can see
// whether a container deleted, kept or copied its elements.
#ifndef TESTS_UNIT_HOST_COUNTINGLISTABLE_H_
#define TESTS_UNIT_HOST_COUNTINGLISTABLE_H_

#include <atomic>

#include "host/CKelListable.h"

class CountingListable : public CKelListable {
 public:
  explicit CountingListable(int tag) : m_Tag(tag) { ++Alive(); }
  CountingListable(const CountingListable& other) : CKelListable(other), m_Tag(other.m_Tag) { ++Alive(); }
  ~CountingListable() override { --Alive(); }

  CKelListable* KLClone() const override { return new CountingListable(*this); }
  // Reported as a pointer so that atom lists skip it when printing.
  EKelListableKind KLKind() const override { return E_KLKPointer; }

  int Tag() const { return m_Tag; }
  static std::atomic<int>& Alive() {
    static std::atomic<int> alive{0};
    return alive;
  }

 private:
  int m_Tag;
};

#endif  // TESTS_UNIT_HOST_COUNTINGLISTABLE_H_
