// The JSON report, for programs. Its shape is stable (see the README):
//   {"agent": {"name", "description"}, "cost": {...},
//    "nes": [{"input", "status", "ipv6Mib", "reason", "cost", "record",
//             "localNeighbours", "errors"}],
//    "links": [{"ne", "ifIndex", "local", "remote", "remoteNe"}]}
// A crawl adds {"crawl": {"seeds", "discovered", "merged", "maxNes",
// "maxNesReached"}} after "cost", and "hop" and "foundVia" ({"ne",
// "address"}, null for an NE given) after each NE's "input".
// Values: integer atoms as numbers, texts as strings, lists as arrays, a
// field without value as null. Text bytes that are not UTF-8 are written
// as U+FFFD. Written as it is built: one NE's local neighbour, or one link,
// at a time in memory. No state; safe from any thread.
#ifndef ENGINE_JSONREPORT_H_
#define ENGINE_JSONREPORT_H_

#include <ostream>

#include "engine/RunReport.h"

// Writes `report` to `out`, indented by two, ending with a line break.
void DEWriteJsonReport(const CRunReport& report, std::ostream& out);

// JSON lines, for runs watched as they go: each NE as one line (the object
// that the report's "nes" holds for it), and at the end one line with the
// rest of the report ({"agent", "cost", "links"}).
void DEWriteJsonLine(const CRunNe& ne, bool crawled, std::ostream& out);
void DEWriteJsonLinesEnd(const CRunReport& report, std::ostream& out);

#endif  // ENGINE_JSONREPORT_H_
