#include "config/ConfigText.h"

#include <cctype>
#include <cstdlib>

#include "host/CKelPointer.h"
#include "host/CKelTreeList.h"

namespace {

bool IsBlank(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

const char* ConfigPieces::Next() {
  constexpr size_t kLast = sizeof(m_Piece) - 1;
  for (;;) {
    // fgets writes the terminator into the last byte only when it filled
    // the buffer; a full buffer that does not end in a newline leaves the
    // line to go on in the next piece. (Counting with strlen would miss
    // the end of a line holding a NUL byte.)
    m_Piece[kLast] = 'x';
    if (fgets(m_Piece, sizeof(m_Piece), m_File) == nullptr) return nullptr;
    const bool beginsLine = m_AtLineStart;
    m_AtLineStart = !(m_Piece[kLast] == '\0' && m_Piece[kLast - 1] != '\n');
    if (beginsLine) {
      const char* c = m_Piece;
      while (*c != '\0' && IsBlank(*c)) ++c;
      m_InComment = *c == '#';
    } else if (m_InComment) {
      continue;
    }
    return m_Piece;
  }
}

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
