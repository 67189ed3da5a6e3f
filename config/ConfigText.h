// Line handling shared by the three configuration loaders.
//
// The loaders read their files with fgets into a buffer of
// kConfigLineBufferSize characters, so a longer line arrives in pieces of at
// most kConfigLineBufferSize - 1 characters, and each piece is parsed as a
// line of its own, except that the pieces continuing a comment line (one
// whose first run begins with "#") belong to the comment. Within a piece,
// the settings are runs of non-blank characters separated by white space,
// each copied into a field of fixed size.
//
// The functions are stateless and safe from any number of threads; a
// ConfigPieces belongs to one reader.
#ifndef CONFIG_CONFIGTEXT_H_
#define CONFIG_CONFIGTEXT_H_

#include <cstddef>
#include <cstdio>

class CKelTreeList;

constexpr int kConfigLineBufferSize = 132;

// The pieces of an open file to parse, in file order. Does not own the file.
class ConfigPieces {
 public:
  explicit ConfigPieces(FILE* file) : m_File(file) {}
  // The next piece (at most kConfigLineBufferSize - 1 characters, valid
  // until the next call), or null at the end of the file or on a read
  // error. The pieces after the first of a comment line are passed over.
  const char* Next();

 private:
  FILE* m_File;
  char m_Piece[kConfigLineBufferSize];
  bool m_AtLineStart = true;  // the next piece begins a line
  bool m_InComment = false;   // the current line is a comment
};

// Finds the first run of non-blank characters (blank as for isspace) at or
// after `text` and copies at most `fieldSize` - 1 of its characters into
// `field`, always terminated. Characters of the run beyond the field are
// dropped: they never become the start of the next run. Returns the
// position just past the whole run, or null (with `field` set to "") when
// `text` holds no run. `text` and `field` must not be null and `fieldSize`
// must be at least 1.
const char* ConfigNextRun(const char* text, char* field, size_t fieldSize);

// Empties and deletes a tree whose every wrapper carries a malloc'ed text:
// frees each text, deletes each wrapper, then the tree (which frees its own
// key copies). Does nothing for null.
void ConfigDeleteTextTree(CKelTreeList* tree);

#endif  // CONFIG_CONFIGTEXT_H_
