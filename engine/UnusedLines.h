// The lines of a user's file (hosts, NE list) that a run does not use, told
// once each. No state; safe from any thread.
#ifndef ENGINE_UNUSEDLINES_H_
#define ENGINE_UNUSEDLINES_H_

#include <string>
#include <vector>

#include "host/ZWResolver.h"

// At most this many lines of one file are told one by one.
constexpr size_t kToldUnusedLines = 20;

// One "FILE:LINE: why" line (newline-ended) for each of the first
// kToldUnusedLines of `lines`, then "FILE: N more lines not used" when there
// are more. "" when `lines` is empty.
std::string DEUnusedLinesText(const std::string& path, const std::vector<ZWUnusedLine>& lines);

#endif  // ENGINE_UNUSEDLINES_H_
