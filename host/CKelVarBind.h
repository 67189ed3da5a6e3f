// A named value: the name is a text atom, the value an atom or nothing.
//
// Ownership: a const text or const atom is copied; a char* text or a
// non-const atom is taken over. The name is always copied; a null name
// gives "". Read-only use is safe from many threads.
#ifndef HOST_CKELVARBIND_H_
#define HOST_CKELVARBIND_H_

#include <cstddef>

#include "host/CKelAtom.h"
#include "host/CKelListable.h"

class CKelVarBind : public CKelListable {
 public:
  CKelVarBind(const char* name, CKelAtom* value);        // takes value (may be null)
  CKelVarBind(const char* name, const CKelAtom* value);  // copies value (may be null)
  CKelVarBind(const char* name, std::nullptr_t);         // no value
  // A null text gives a var bind without value, as a null atom does.
  CKelVarBind(const char* name, char* text);             // takes the malloc'ed text
  CKelVarBind(const char* name, const char* text);       // copies the text
  CKelVarBind(const CKelVarBind& other);                 // deep copy
  CKelVarBind& operator=(const CKelVarBind&) = delete;
  ~CKelVarBind() override;

  // The name atom, owned by the var bind; never null.
  CKelAtom* KVBName() const { return &m_Name; }
  // The name text, owned by the var bind; never null.
  const char* KVBNameText() const { return m_Name.KAString(); }
  // The value atom, owned by the var bind; null when there is no value.
  CKelAtom* KVBValue() const { return m_Value; }

  // Takes over `value` (may be null) and deletes the previous value.
  // Returns 1.
  int KVBSetValue(CKelAtom* value);

  // A new malloc'ed text of the value (KAStrRep), released with free; null
  // when there is no value.
  char* KVBValAsString() const;

  CKelListable* KLClone() const override;
  EKelListableKind KLKind() const override { return E_KLKVarBind; }

 private:
  // The atom of `name`: short names, which are few and repeated millions of
  // times, are kept once for the process and borrowed.
  static CKelAtom NameAtom(const char* name);

  mutable CKelAtom m_Name;  // handed out by KVBName
  // A value the var bind makes itself (a copy, a text) lives in m_Inline,
  // saving an allocation for each of the millions of fields a large router
  // gives; a value handed over stays where it was allocated.
  CKelAtom m_Inline;
  CKelAtom* m_Value;  // null, &m_Inline, or an atom taken over
};

#endif  // HOST_CKELVARBIND_H_
