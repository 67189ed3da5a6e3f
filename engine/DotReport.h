// The topology as a Graphviz graph (undirected): one box per NE, inside a
// cluster with the NE's local neighbour addresses; one edge per pair of
// ends joined by a link (the two directions of one link give one edge);
// addresses that no NE of the run owns as dashed ellipses. No state; safe
// from any thread.
#ifndef ENGINE_DOTREPORT_H_
#define ENGINE_DOTREPORT_H_

#include <ostream>
#include <string>

#include "engine/RunReport.h"

void DEWriteDotReport(const CRunReport& report, std::ostream& out);

// `text` as a quoted DOT string: quotes and backslashes escaped, control
// characters as blanks, bytes that are not UTF-8 shown as \xNN; "\n" in `text` is kept as DOT's line break only
// when `lineBreaks` is true.
std::string DEDotQuote(const std::string& text, bool lineBreaks = false);

#endif  // ENGINE_DOTREPORT_H_
