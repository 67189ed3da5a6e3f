// Line handling shared by the three configuration loaders.
//
// The loaders read their files with fgets into a buffer of
// kConfigLineBufferSize characters, so a longer line arrives in pieces of at
// most kConfigLineBufferSize - 1 characters, and each piece is parsed as a
// line of its own. Within a piece, the settings are runs of non-blank
// characters separated by white space, each copied into a field of fixed
// size.
//
// Stateless; safe from any number of threads.
#ifndef CONFIG_CONFIGTEXT_H_
#define CONFIG_CONFIGTEXT_H_

#include <cstddef>

class CKelTreeList;

constexpr int kConfigLineBufferSize = 132;

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
