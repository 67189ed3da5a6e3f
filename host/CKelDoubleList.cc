#include "host/CKelDoubleList.h"

#include <new>
#include <utility>

#include "host/KelTypes.h"

CKelDoubleList::CKelDoubleList() = default;

// Copies every element with KLClone. If a copy cannot be made, the copies
// made so far are deleted and std::bad_alloc is thrown, so no half list
// escapes.
CKelDoubleList::CKelDoubleList(const CKelDoubleList& other) {
  m_Index.reserve(other.m_Items.size());
  for (const CKelListable* element : other.m_Items) {
    CKelListable* copy = element->KLClone();
    if (copy == nullptr || KDLAddToListEnd(copy) != KEL_OK) {
      delete copy;
      KDLDeleteAll();
      throw std::bad_alloc();
    }
  }
}

CKelDoubleList::~CKelDoubleList() { KDLDeleteAll(); }

CKelListable* CKelDoubleList::KDLHead() const { return m_Items.empty() ? nullptr : m_Items.front(); }

CKelListable* CKelDoubleList::KDLGetNext(const CKelListable* element) const {
  auto found = m_Index.find(element);
  if (found == m_Index.end()) return nullptr;
  auto next = std::next(found->second);
  return next == m_Items.end() ? nullptr : *next;
}

CKelListable* CKelDoubleList::KDLTail() const { return m_Items.empty() ? nullptr : m_Items.back(); }

bool CKelDoubleList::KDLContains(const CKelListable* element) const {
  return element != nullptr && m_Index.count(element) != 0;
}

int CKelDoubleList::KDLAddToListEnd(CKelListable* element) {
  if (element == nullptr) return KEL_ERR_NULL_ARG;
  if (m_Index.count(element) != 0) return KEL_ERR_DUPLICATE;
  m_Items.push_back(element);
  try {
    m_Index.emplace(element, std::prev(m_Items.end()));
  } catch (...) {
    m_Items.pop_back();  // the element stays with the caller
    throw;
  }
  return KEL_OK;
}

int CKelDoubleList::KDLRemove(CKelListable* element) {
  auto found = m_Index.find(element);
  if (found == m_Index.end()) return KEL_ERR_NOT_FOUND;
  m_Items.erase(found->second);
  m_Index.erase(found);
  return KEL_OK;
}

int CKelDoubleList::KDLSetHead(CKelListable* head) {
  if (head != nullptr) return KEL_ERR_WRONG_TYPE;
  m_Items.clear();
  m_Index.clear();
  return KEL_OK;
}

void CKelDoubleList::KDLDeleteAll() {
  // Unlink first: an element's destructor may look at this list.
  std::list<CKelListable*> items;
  items.swap(m_Items);
  m_Index.clear();
  for (CKelListable* element : items) delete element;
}
