// An NE record: named fields in the order they were first set.
//
// Ownership: KRAddOrSetValue and KRAddValue copy a const text or const atom
// and take over a char* (malloc'ed) text or a non-const atom, on success
// only; on failure the argument stays with the caller. Copies are
// independent (deep); the copy constructor throws std::bad_alloc when memory
// runs out (KLClone and KelNew give null instead), every operation returns
// KEL_ERR_NO_MEMORY. Read-only use is safe from many threads at once.
#ifndef HOST_CKELRECORD_H_
#define HOST_CKELRECORD_H_

#include <string>
#include <unordered_map>

#include "host/CKelAtom.h"
#include "host/CKelDoubleList.h"
#include "host/CKelListable.h"
#include "host/CKelVarBind.h"

class CKelRecord : public CKelListable {
 public:
  CKelRecord() = default;
  CKelRecord(const CKelRecord& other);  // deep copy
  CKelRecord& operator=(const CKelRecord&) = delete;
  ~CKelRecord() override = default;  // the field list deletes the fields

  // The value of field `name`, owned by the record; null when the field is
  // absent or has no value.
  CKelAtom* KRValueOf(const char* name) const;
  // The field `name`, owned by the record; null when absent.
  CKelVarBind* KRValuePairOf(const char* name) const;

  // Sets field `name`, adding it at the end when absent (the old value of a
  // present field is deleted). Returns 1 or KEL_ERR_NULL_ARG (null name, or
  // null text/atom).
  int KRAddOrSetValue(const char* name, const char* text);  // copies
  int KRAddOrSetValue(const char* name, char* text);        // takes over
  int KRAddOrSetValue(const char* name, int value);
  int KRAddOrSetValue(const char* name, long long value);
  int KRAddOrSetValue(const char* name, CKelAtom* atom);        // takes over
  int KRAddOrSetValue(const char* name, const CKelAtom* atom);  // copies

  // Adds a new field that takes over `atom`. Returns 1, KEL_ERR_NULL_ARG,
  // or KEL_ERR_DUPLICATE when the field exists (use KRAddOrSetValue).
  int KRAddValue(const char* name, CKelAtom* atom);

  // Removes and deletes field `name`. Returns 1 or KEL_ERR_NOT_FOUND.
  int KRRemoveValue(const char* name);

  // The fields (CKelVarBind) in record order, owned by the record.
  const CKelDoubleList& KRFields() const { return m_Fields; }

  // "{ name = value, ... }" on one line, values as KAStrRep ("(null)" for
  // a field without value); "{ }" for a record without fields.
  std::string KRToString() const;
  // Writes KRToString() as a level-4 trace line; the text is only built
  // when level 4 is traced.
  void KRPrint() const;

  CKelListable* KLClone() const override;
  EKelListableKind KLKind() const override { return E_KLKRecord; }

 private:
  int Set(const char* name, CKelAtom* atom);

  CKelDoubleList m_Fields;
  // Field name -> field in m_Fields, so that lookups do not walk the list.
  using ByName = std::unordered_map<std::string, CKelVarBind*>;
  ByName m_ByName;
};

#endif  // HOST_CKELRECORD_H_
