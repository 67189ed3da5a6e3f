// Readers of recorded SNMP walks, one binding per record:
// - snmprec, as the snmpsim simulator serves it: "OID|TAG|VALUE" lines,
//   TAG one of 2 (Integer32), 4 (OCTET STRING), 5 (NULL), 6 (OBJECT
//   IDENTIFIER), 64 (IpAddress), 65 (Counter32), 66 (Gauge32), 67
//   (TimeTicks), 68 (Opaque), 70 (Counter64), with the suffix "x" for a
//   value written as hex octets or "e" for a value with Python escapes;
// - walk: the output of `snmpwalk -On` ("OID = TYPE: VALUE"; a line that
//   does not start a record continues the one before it, as long strings
//   and hex strings do; a quoted string that is still open also takes
//   blank lines). Every value form that net-snmp 5.9 prints is read, with
//   or without MIB files loaded; see WalkFormat.cc. Lines that report an
//   exception ("No Such Object", "No Such Instance", "No more variables",
//   "End of MIB") hold no binding and are skipped.
// A record that cannot be read is skipped, and described in `problems` as
// "line N: why" through AddRecordProblem: only when its OID lies beneath
// RequestedSubtrees() or could not be read at all. Blank lines (and "#"
// lines in snmprec) are skipped silently. No state; safe from any thread.
#ifndef SNMP_RECORDFORMATS_H_
#define SNMP_RECORDFORMATS_H_

#include <string>
#include <vector>

#include "snmp/WireValue.h"

namespace snmp {

// The lines of `text` without their "\n" or "\r\n"; a final line break
// starts no further line. Line N of a problem report is element N-1.
std::vector<std::string> SplitRecordLines(const std::string& text);

// Appends `text` to `problems` unless `oid` is given and lies outside
// RequestedSubtrees(): a recording of a whole device may hold objects this
// system cannot read and never asks for. `oid` is null when the record's
// OID itself could not be read. The one place that decides which problems
// of a recording are reported.
void AddRecordProblem(const Oid* oid, std::string text, std::vector<std::string>* problems);

std::vector<VarBind> ReadSnmprec(const std::string& text, std::vector<std::string>* problems);
std::vector<VarBind> ReadWalk(const std::string& text, std::vector<std::string>* problems);

}  // namespace snmp

#endif  // SNMP_RECORDFORMATS_H_
