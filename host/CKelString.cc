#include "host/CKelString.h"

#include <cstdlib>
#include <memory>

#include "host/CKelAtom.h"
#include "host/KelTypes.h"

int CKelString::KSStrCat(const char* text) {
  try {
    if (text != nullptr) m_Text += text;
  } catch (const std::bad_alloc&) {
    return KEL_ERR_NO_MEMORY;
  }
  return 1;
}

int CKelString::KSStrCat(const CKelAtom* atom) {
  if (atom == nullptr) return 1;
  std::unique_ptr<char, decltype(&free)> rep(atom->KAStrRep(), &free);
  if (!rep) return KEL_ERR_NO_MEMORY;
  return KSStrCat(rep.get());
}
