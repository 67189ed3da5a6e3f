#include "config/ConfigText.h"

#include <cctype>
#include <cstdlib>

#include "host/CKelPointer.h"
#include "host/CKelTreeList.h"

namespace {

bool IsBlank(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

const char* ConfigNextRun(const char* text, char* field, size_t fieldSize) {
  field[0] = '\0';
  while (*text != '\0' && IsBlank(*text)) ++text;
  if (*text == '\0') return nullptr;
  size_t used = 0;
  for (; *text != '\0' && !IsBlank(*text); ++text) {
    if (used + 1 < fieldSize) field[used++] = *text;
  }
  field[used] = '\0';
  return text;
}

void ConfigDeleteTextTree(CKelTreeList* tree) {
  if (tree == nullptr) return;
  tree->KTLForEach([](CKelPointer* wrapper) { free(wrapper->KPData()); });
  tree->KTLDeleteWrappers();
  delete tree;
}
