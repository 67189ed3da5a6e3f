// A growing text.
#ifndef HOST_CKELSTRING_H_
#define HOST_CKELSTRING_H_

#include <string>

class CKelAtom;

class CKelString {
 public:
  CKelString() = default;
  explicit CKelString(const char* text) { KSStrCat(text); }

  // Appends the text (nothing for null). Returns 1, or KEL_ERR_NO_MEMORY
  // (nothing appended).
  int KSStrCat(const char* text);
  // Appends the atom's KAStrRep (nothing for null). Returns as above.
  int KSStrCat(const CKelAtom* atom);

  // The text so far, owned by the string; valid until the next append.
  const char* KSString() const { return m_Text.c_str(); }
  int KSLength() const { return static_cast<int>(m_Text.size()); }

 private:
  std::string m_Text;
};

#endif  // HOST_CKELSTRING_H_
