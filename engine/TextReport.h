// The text report, for people: a summary line, then one block per NE in
// input order (name, address, status, capabilities, description), its
// interfaces with their addresses, prefixes, prefix names and DNS names,
// under each address its remote neighbours and the NE of the run that owns
// each, and the error reports made while the NE was processed. No state;
// safe from any thread.
#ifndef ENGINE_TEXTREPORT_H_
#define ENGINE_TEXTREPORT_H_

#include <ostream>

#include "engine/RunReport.h"

void DEWriteTextReport(const CRunReport& report, std::ostream& out);

#endif  // ENGINE_TEXTREPORT_H_
