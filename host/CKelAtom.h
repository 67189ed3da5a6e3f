// A typed value: integer, text or list.
//
// Ownership: the const-text constructor copies; the char* constructor and
// KASet take over a malloc'ed text (released with free); the list
// constructor takes over the list. Read-only use (KAInt, KAString, KAList,
// KAStrRep, KAType) is safe from many threads at once.
#ifndef HOST_CKELATOM_H_
#define HOST_CKELATOM_H_

#include <cstdint>

#include "host/CKelListable.h"
#include "host/KelTypes.h"

class CKelDoubleList;

// Constructors that copy (a text, a list, an atom) throw std::bad_alloc
// when memory runs out: make such atoms with KelNew (host/KelAlloc.h).
class CKelAtom : public CKelListable {
 public:
  explicit CKelAtom(int value);
  explicit CKelAtom(long long value);
  explicit CKelAtom(const char* text);  // copies; null gives ""
  explicit CKelAtom(char* text);        // takes over (malloc'ed); null gives ""
  // Takes over the list; `type` must be E_KDTList. A null list gives an
  // empty list.
  CKelAtom(CKelDoubleList* list, EKelDataType type);
  CKelAtom(const CKelAtom& other);  // deep copy
  CKelAtom& operator=(const CKelAtom&) = delete;
  ~CKelAtom() override;

  EKelDataType KAType() const { return m_Type; }

  // The integer value truncated to int; 0 for texts and lists.
  int KAInt() const { return static_cast<int>(KAInt64()); }
  // The full integer value (SNMP counters keep their unsigned value);
  // 0 for texts and lists.
  long long KAInt64() const { return m_Type == E_KDTInteger ? m_Int : 0; }

  // The text, owned by the atom; null unless the atom is a text.
  const char* KAString() const { return m_Type == E_KDTString ? m_Text : nullptr; }

  // A new malloc'ed text of the value that the caller releases with free:
  // decimal for integers, the text itself, and for lists "(a, b, c)" built
  // from the KAStrRep of each element that is an atom or var bind value.
  // Null only when memory runs out.
  char* KAStrRep() const;

  // The list, owned by the atom; null unless the atom is a list.
  CKelDoubleList* KAList() const { return m_Type == E_KDTList ? m_List : nullptr; }

  // Replaces the value with a malloc'ed text that the atom takes over.
  // Returns 1; with a null text the atom is unchanged and the result is
  // KEL_ERR_NULL_ARG.
  int KASet(char* text);

  CKelListable* KLClone() const override;
  EKelListableKind KLKind() const override { return E_KLKAtom; }

 private:
  friend class CKelVarBind;
  struct BorrowedText {};
  // A text atom that borrows `text`, which lives as long as the process
  // (a var bind's interned name); copies borrow it too.
  CKelAtom(const char* text, BorrowedText) : m_Type(E_KDTString), m_Borrowed(true), m_Text(const_cast<char*>(text)) {}

  void Release();
  char* StrRep() const;  // KAStrRep, throwing std::bad_alloc

  // One of the three, by m_Type: an atom is among the most numerous objects
  // of a discovery, so it holds no more than its value needs.
  EKelDataType m_Type;
  bool m_Borrowed = false;  // m_Text is not ours to free
  union {
    long long m_Int;
    char* m_Text;
    CKelDoubleList* m_List;
  };
};

#endif  // HOST_CKELATOM_H_
