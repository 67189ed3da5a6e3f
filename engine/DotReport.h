// The topology as a Graphviz graph (undirected), drawn for dot: one box per
// NE, filled by its class (IPv6 router, IPv6 host, IPv4 only, failed, ...)
// with a legend of the classes shown; dashed ellipses for addresses no NE
// of the run owns; one edge per adjacency, labelled with its prefix; NEs in
// a cluster per site and end nodes in a cluster per prefix (the rules are
// those of engine/TopologyGraph.h). Interfaces and addresses are tooltips
// (shown on hover in SVG), so that the picture stays readable for many
// routers. No state; safe from any thread.
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
