#include "host/CKelTreeList.h"

#include <cstring>
#include <new>
#include <utility>

bool CKelTreeList::Key::operator<(const Key& o) const {
  if (isInt != o.isInt) return isInt;  // integers sort before texts
  if (isInt) return num < o.num;
  return strcmp(text.c_str(), o.text.c_str()) < 0;
}

CKelTreeList::CKelTreeList(__boolean multi) : m_Multi(multi != E_KBFalse) {}

CKelTreeList::~CKelTreeList() {
  // The iteration list only borrows the wrappers, which callers may have
  // deleted already.
  if (m_Iter) m_Iter->KDLSetHead(nullptr);
}

bool CKelTreeList::MakeKey(const CKelAtom* atom, Key* out) {
  switch (atom->KAType()) {
    case E_KDTInteger:
      *out = Key{true, atom->KAInt64(), std::string()};
      return true;
    case E_KDTString:
      *out = Key{false, 0, atom->KAString()};
      return true;
    case E_KDTList:
      break;
  }
  return false;
}

int CKelTreeList::Add(const Key& key, CKelPointer* wrapper) {
  if (wrapper == nullptr) return KEL_ERR_NULL_ARG;
  if (m_Wrappers.count(wrapper) != 0) return KEL_ERR_DUPLICATE;
  if (!m_Multi && m_Entries.count(key) != 0) return KEL_ERR_DUPLICATE;
  // multimap::insert places an equal key after the existing ones, which
  // keeps the entries of one key in the order they were added.
  std::multimap<Key, CKelPointer*>::iterator entry;
  try {
    entry = m_Entries.insert(std::make_pair(key, wrapper));
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
  try {
    m_Wrappers.insert(wrapper);
  } catch (const std::bad_alloc&) {
    m_Entries.erase(entry);
    return KEL_ERR_NO_MEMORY;
  }
  std::lock_guard<std::mutex> lock(m_IterMutex);
  m_IterStale = true;
  return KEL_OK;
}

int CKelTreeList::AddData(const Key& key, void* data) {
  CKelPointer* wrapper = new CKelPointer(data);
  if (wrapper == nullptr) return KEL_ERR_NO_MEMORY;
  int status = Add(key, wrapper);
  if (status != KEL_OK) delete wrapper;  // never seen by the caller
  return status;
}

// Keys of text copy the text: those entry points turn a failed copy into a
// status (or a reported null) like every other failed allocation.
int CKelTreeList::KTLAdd(const char* key, CKelPointer* wrapper) {
  if (key == nullptr) return KEL_ERR_NULL_ARG;
  try {
    return Add(Key{false, 0, key}, wrapper);
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
}

int CKelTreeList::KTLAdd(long long key, CKelPointer* wrapper) { return Add(Key{true, key, std::string()}, wrapper); }

int CKelTreeList::KTLAdd(const CKelAtom* key, CKelPointer* wrapper) {
  if (key == nullptr) return KEL_ERR_NULL_ARG;
  Key k;
  try {
    if (!MakeKey(key, &k)) return KEL_ERR_WRONG_TYPE;
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
  return Add(k, wrapper);
}

int CKelTreeList::KTLAdd(const char* key, void* data) {
  if (key == nullptr) return KEL_ERR_NULL_ARG;
  try {
    return AddData(Key{false, 0, key}, data);
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
}

int CKelTreeList::KTLAdd(long long key, void* data) { return AddData(Key{true, key, std::string()}, data); }

int CKelTreeList::KTLAdd(const CKelAtom* key, void* data) {
  if (key == nullptr) return KEL_ERR_NULL_ARG;
  Key k;
  try {
    if (!MakeKey(key, &k)) return KEL_ERR_WRONG_TYPE;
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
  return AddData(k, data);
}

CKelPointer* CKelTreeList::Get(const Key& key) const {
  // lower_bound, not find: find may return any entry of the key.
  auto it = m_Entries.lower_bound(key);
  if (it == m_Entries.end() || key < it->first) return nullptr;
  return it->second;
}

namespace {

// `find` with a key that must be built first: a key that cannot be built
// finds nothing.
template <typename Find>
auto Found(Find find) -> decltype(find()) {
  try {
    return find();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

CKelPointer* CKelTreeList::KTLGet(const char* key) const {
  if (key == nullptr) return nullptr;
  return Found([&] { return Get(Key{false, 0, key}); });
}

CKelPointer* CKelTreeList::KTLGet(long long key) const { return Get(Key{true, key, std::string()}); }

CKelPointer* CKelTreeList::KTLGet(const CKelAtom* key) const {
  return Found([&]() -> CKelPointer* {
    Key k;
    if (key == nullptr || !MakeKey(key, &k)) return nullptr;
    return Get(k);
  });
}

CKelDoubleList* CKelTreeList::GetMultiple(const Key& key) const {
  auto range = m_Entries.equal_range(key);
  if (range.first == range.second) return nullptr;
  CKelDoubleList* list = new CKelDoubleList();
  for (auto it = range.first; list != nullptr && it != range.second; ++it) {
    try {
      list->AppendUnique(it->second);  // each wrapper is held once by the tree
    } catch (const std::bad_alloc&) {
      list->KDLSetHead(nullptr);  // the wrappers are the tree's
      delete list;
      list = nullptr;
    }
  }
  return list;
}

CKelDoubleList* CKelTreeList::KTLGetMultiple(const char* key) const {
  if (key == nullptr) return nullptr;
  return Found([&] { return GetMultiple(Key{false, 0, key}); });
}

CKelDoubleList* CKelTreeList::KTLGetMultiple(long long key) const {
  return GetMultiple(Key{true, key, std::string()});
}

CKelDoubleList* CKelTreeList::KTLGetMultiple(const CKelAtom* key) const {
  return Found([&]() -> CKelDoubleList* {
    Key k;
    if (key == nullptr || !MakeKey(key, &k)) return nullptr;
    return GetMultiple(k);
  });
}

// The first caller after a change rebuilds the list under m_IterMutex;
// concurrent readers wait for it and then share the finished list, which
// stays untouched until the next change of the tree.
CKelDoubleList* CKelTreeList::KTLIterator() const {
  std::lock_guard<std::mutex> lock(m_IterMutex);
  if (m_IterStale || !m_Iter) {
    if (!m_Iter) {
      m_Iter.reset(new CKelDoubleList());
    } else {
      m_Iter->KDLSetHead(nullptr);
    }
    try {
      if (!m_Iter) throw std::bad_alloc();
      for (const auto& entry : m_Entries) m_Iter->AppendUnique(entry.second);
    } catch (const std::bad_alloc&) {
      if (m_Iter) m_Iter->KDLSetHead(nullptr);
      return nullptr;
    }
    m_IterStale = false;
  }
  return m_Entries.empty() ? nullptr : m_Iter.get();
}

void CKelTreeList::KTLDeleteWrappers() {
  std::multimap<Key, CKelPointer*> entries;
  entries.swap(m_Entries);
  m_Wrappers.clear();
  {
    std::lock_guard<std::mutex> lock(m_IterMutex);
    if (m_Iter) m_Iter->KDLSetHead(nullptr);
    m_IterStale = true;
  }
  // Each wrapper is held once (Add refuses a second hold), so none is
  // deleted twice.
  for (auto& entry : entries) delete entry.second;
}
