// Readers of recorded SNMP walks, one binding per record:
// - snmprec, as the snmpsim simulator serves it: "OID|TAG|VALUE" lines,
//   TAG one of 2 (Integer32), 4 (OCTET STRING), 5 (NULL), 6 (OBJECT
//   IDENTIFIER), 64 (IpAddress), 65 (Counter32), 66 (Gauge32), 67
//   (TimeTicks), 68 (Opaque), 70 (Counter64), with the suffix "x" for a
//   value written as hex octets or "e" for a value with Python escapes;
// - walk: the output of `snmpwalk -On` ("OID = TYPE: VALUE"; a line that
//   does not start a record continues the one before it, as long strings
//   and hex strings do). Lines that report an exception ("No Such
//   Object", "No more variables") hold no binding and are skipped.
// A record that cannot be read is skipped and described in `problems` as
// "line N: why". Blank lines (and "#" lines in snmprec) are skipped
// silently. No state; safe from any thread.
#ifndef SNMP_RECORDFORMATS_H_
#define SNMP_RECORDFORMATS_H_

#include <string>
#include <vector>

#include "snmp/WireValue.h"

namespace snmp {

// The lines of `text` without their "\n" or "\r\n"; a final line break
// starts no further line. Line N of a problem report is element N-1.
std::vector<std::string> SplitRecordLines(const std::string& text);

std::vector<VarBind> ReadSnmprec(const std::string& text, std::vector<std::string>* problems);
std::vector<VarBind> ReadWalk(const std::string& text, std::vector<std::string>* problems);

}  // namespace snmp

#endif  // SNMP_RECORDFORMATS_H_
