// A keyed tree of CKelPointer wrappers, ordered by key.
//
// Keys are texts or integers; an integer atom and the plain integer address
// the same entries (as does a text atom and its text). Integer keys sort
// before text keys; texts sort by strcmp. A tree made with multi = E_KBTrue
// holds any number of entries per key, in the order they were added; with
// E_KBFalse a second entry for a key is refused.
//
// Ownership: the tree copies its keys. The caller owns the wrappers it
// adds and the data they wrap; the tree never deletes a wrapper on its own,
// except through KTLDeleteWrappers, which deletes every wrapper (never the
// data) and empties the tree. Deleting the tree does not delete wrappers.
//
// Thread-safety: lookups and KTLIterator are safe from many threads at once
// on a tree that no one writes.
#ifndef HOST_CKELTREELIST_H_
#define HOST_CKELTREELIST_H_

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

#include "host/CKelAtom.h"
#include "host/CKelDoubleList.h"
#include "host/CKelPointer.h"
#include "host/KelAlloc.h"
#include "host/KelTypes.h"

class CKelTreeList {
 public:
  KEL_ALLOCATED_HERE
  explicit CKelTreeList(__boolean multi);
  CKelTreeList(const CKelTreeList&) = delete;
  CKelTreeList& operator=(const CKelTreeList&) = delete;
  virtual ~CKelTreeList();  // frees keys and the iteration list, not wrappers

  // Adds `wrapper` under a copy of `key`. Returns 1; KEL_ERR_NULL_ARG for a
  // null key or wrapper; KEL_ERR_WRONG_TYPE for a list atom key;
  // KEL_ERR_DUPLICATE when a single-entry tree already has the key or the
  // tree already holds this wrapper; KEL_ERR_NO_MEMORY. On failure the
  // wrapper stays with the caller.
  int KTLAdd(const char* key, CKelPointer* wrapper);
  int KTLAdd(long long key, CKelPointer* wrapper);
  int KTLAdd(int key, CKelPointer* wrapper) { return KTLAdd(static_cast<long long>(key), wrapper); }
  int KTLAdd(const CKelAtom* key, CKelPointer* wrapper);
  // Wraps `data` in a new CKelPointer that the caller later deletes (for
  // instance with KTLDeleteWrappers) and adds it as above.
  int KTLAdd(const char* key, void* data);
  int KTLAdd(long long key, void* data);
  int KTLAdd(int key, void* data) { return KTLAdd(static_cast<long long>(key), data); }
  int KTLAdd(const CKelAtom* key, void* data);

  // The first wrapper added under `key`, or null. The tree keeps it.
  CKelPointer* KTLGet(const char* key) const;
  CKelPointer* KTLGet(long long key) const;
  CKelPointer* KTLGet(int key) const { return KTLGet(static_cast<long long>(key)); }
  CKelPointer* KTLGet(const CKelAtom* key) const;
  // Same as KTLGet.
  CKelPointer* KTLGetWrapper(const char* key) const { return KTLGet(key); }
  CKelPointer* KTLGetWrapper(long long key) const { return KTLGet(key); }
  CKelPointer* KTLGetWrapper(int key) const { return KTLGet(key); }
  CKelPointer* KTLGetWrapper(const CKelAtom* key) const { return KTLGet(key); }

  // Null when the key has no entry (or when memory runs out); otherwise a new list holding the key's wrappers in the order
  // they were added. The wrappers stay the tree's:
  // the caller empties the list with KDLSetHead(nullptr) and deletes it.
  CKelDoubleList* KTLGetMultiple(const char* key) const;
  CKelDoubleList* KTLGetMultiple(long long key) const;
  CKelDoubleList* KTLGetMultiple(int key) const { return KTLGetMultiple(static_cast<long long>(key)); }
  CKelDoubleList* KTLGetMultiple(const CKelAtom* key) const;

  // Every wrapper in key order (entries of one key in the order added), as
  // a list that the tree owns and rebuilds after changes; the caller neither
  // changes nor deletes it. Null for an empty tree (or when memory runs
  // out). Safe from many threads at once while no one
  // writes the tree.
  CKelDoubleList* KTLIterator() const;
  // Calls `visit(CKelPointer*)` with every wrapper in key order. Allocates
  // nothing, so that clean-up (freeing what the wrappers point at) cannot
  // fail. Not while the tree changes.
  template <typename Visit>
  void KTLForEach(Visit visit) const {
    for (const auto& entry : m_Entries) visit(entry.second);
  }

  // Deletes every wrapper (not the data it wraps) and empties the tree.
  void KTLDeleteWrappers();

  int KTLCount() const { return static_cast<int>(m_Entries.size()); }

 private:
  struct Key {
    bool isInt;
    long long num;
    std::string text;
    bool operator<(const Key& o) const;
  };
  static bool MakeKey(const CKelAtom* atom, Key* out);
  int Add(const Key& key, CKelPointer* wrapper);
  int AddData(const Key& key, void* data);
  CKelPointer* Get(const Key& key) const;
  CKelDoubleList* GetMultiple(const Key& key) const;

  bool m_Multi;
  std::multimap<Key, CKelPointer*> m_Entries;
  std::unordered_set<const CKelPointer*> m_Wrappers;
  mutable std::mutex m_IterMutex;
  mutable std::unique_ptr<CKelDoubleList> m_Iter;  // borrowed wrappers
  mutable bool m_IterStale = true;
};

#endif  // HOST_CKELTREELIST_H_
