#include "host/CKelString.h"

#include <cstdlib>
#include <memory>

#include "host/CKelAtom.h"

int CKelString::KSStrCat(const char* text) {
  if (text != nullptr) m_Text += text;
  return 1;
}

int CKelString::KSStrCat(const CKelAtom* atom) {
  if (atom == nullptr) return 1;
  std::unique_ptr<char, decltype(&free)> rep(atom->KAStrRep(), &free);
  if (rep) m_Text += rep.get();
  return 1;
}
