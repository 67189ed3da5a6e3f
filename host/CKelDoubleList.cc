#include "host/CKelDoubleList.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <utility>

#include "host/KelTypes.h"

namespace {

// Up to this length a list is scanned rather than indexed: a scan of a few
// cache lines costs less than a hash lookup, and most lists (a record's
// fields, a neighbour's) are this short.
constexpr size_t kScanLength = 32;

// Where each thread's recent walks stand: the list and the position of the
// element it returned last. Only a hint: it is always checked against the
// list, so a stale or foreign entry costs a lookup, never a wrong answer.
struct WalkHint {
  const CKelDoubleList* list;
  size_t position;
};
constexpr size_t kHints = 8;
thread_local WalkHint t_Hints[kHints];

WalkHint& HintFor(const CKelDoubleList* list) {
  return t_Hints[(reinterpret_cast<uintptr_t>(list) >> 4) % kHints];
}

// Serialises the building of an index by readers of the same long list;
// building is rare, so one lock for all lists is enough.
std::mutex g_IndexBuild;

}  // namespace

CKelDoubleList::CKelDoubleList() = default;

// Copies every element with KLClone. If a copy cannot be made, the copies
// made so far are deleted and std::bad_alloc is thrown, so no half list
// escapes.
CKelDoubleList::CKelDoubleList(const CKelDoubleList& other) {
  m_Items.reserve(other.m_Items.size());
  for (const CKelListable* element : other.m_Items) {
    CKelListable* copy = element->KLClone();
    if (copy == nullptr) {
      KDLDeleteAll();
      throw std::bad_alloc();
    }
    AppendUnique(copy);  // reserved: cannot throw
  }
}

CKelDoubleList::~CKelDoubleList() { KDLDeleteAll(); }

CKelListable* CKelDoubleList::KDLHead() const {
  if (m_Items.empty()) return nullptr;
  HintFor(this) = WalkHint{this, 0};
  return m_Items.front();
}

CKelListable* CKelDoubleList::KDLGetNext(const CKelListable* element) const {
  WalkHint& hint = HintFor(this);
  size_t at = hint.list == this && hint.position < m_Items.size() && m_Items[hint.position] == element
                  ? hint.position
                  : PositionOf(element);
  if (at == kNotFound || at + 1 >= m_Items.size()) return nullptr;
  hint = WalkHint{this, at + 1};
  return m_Items[at + 1];
}

CKelListable* CKelDoubleList::KDLTail() const { return m_Items.empty() ? nullptr : m_Items.back(); }

bool CKelDoubleList::KDLContains(const CKelListable* element) const {
  return element != nullptr && PositionOf(element) != kNotFound;
}

int CKelDoubleList::KDLAddToListEnd(CKelListable* element) {
  if (element == nullptr) return KEL_ERR_NULL_ARG;
  if (PositionOf(element) != kNotFound) return KEL_ERR_DUPLICATE;
  try {
    AppendUnique(element);
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
  return KEL_OK;
}

void CKelDoubleList::AppendUnique(CKelListable* element) {
  m_Items.push_back(element);  // may throw; the element then stays with the caller
  Index* index = m_Index.load(std::memory_order_relaxed);
  if (index == nullptr) return;
  try {
    index->emplace(element, m_Items.size() - 1);
  } catch (...) {
    DropIndex();  // rebuilt when next needed
  }
}

size_t CKelDoubleList::PositionOf(const CKelListable* element) const {
  const Index* index = m_Items.size() > kScanLength ? LongIndex() : nullptr;
  if (index != nullptr) {
    auto found = index->find(element);
    return found == index->end() ? kNotFound : found->second;
  }
  for (size_t i = 0; i < m_Items.size(); ++i) {
    if (m_Items[i] == element) return i;
  }
  return kNotFound;
}

const CKelDoubleList::Index* CKelDoubleList::LongIndex() const {
  Index* index = m_Index.load(std::memory_order_acquire);
  if (index != nullptr) return index;
  std::lock_guard<std::mutex> lock(g_IndexBuild);
  index = m_Index.load(std::memory_order_relaxed);
  if (index != nullptr) return index;
  index = new (std::nothrow) Index();
  if (index == nullptr) return nullptr;
  try {
    index->reserve(m_Items.size());
    for (size_t i = 0; i < m_Items.size(); ++i) index->emplace(m_Items[i], i);
  } catch (...) {
    delete index;
    return nullptr;
  }
  m_Index.store(index, std::memory_order_release);
  return index;
}

void CKelDoubleList::DropIndex() { delete m_Index.exchange(nullptr); }

int CKelDoubleList::KDLRemove(CKelListable* element) {
  size_t at = PositionOf(element);
  if (at == kNotFound) return KEL_ERR_NOT_FOUND;
  m_Items.erase(m_Items.begin() + static_cast<std::ptrdiff_t>(at));
  DropIndex();  // positions after `at` moved
  return KEL_OK;
}

int CKelDoubleList::KDLSetHead(CKelListable* head) {
  if (head != nullptr) return KEL_ERR_WRONG_TYPE;
  Items().swap(m_Items);
  DropIndex();
  return KEL_OK;
}

void CKelDoubleList::KDLDeleteAll() {
  // Unlink first: an element's destructor may look at this list.
  Items items;
  items.swap(m_Items);
  DropIndex();
  for (CKelListable* element : items) delete element;
}
