// Writing a whole file so that readers see either the old file or the new
// one, never a part: the text goes to a hidden temporary file beside it
// (".NAME.XXXXXX"), which is flushed to disk and renamed over `path`. Safe
// from many threads at once, for different paths or the same one (the last
// rename wins).
#ifndef ENGINE_ATOMICFILE_H_
#define ENGINE_ATOMICFILE_H_

#include <string>

// Writes `text` as the file `path` (mode 0644). False, with `error` a whole
// phrase naming the file, when it cannot; `path` is then as it was, and no
// temporary file is left.
bool DEWriteFileAtomically(const std::string& path, const std::string& text, std::string* error);

#endif  // ENGINE_ATOMICFILE_H_
