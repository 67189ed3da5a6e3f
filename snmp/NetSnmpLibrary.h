// Process-wide set-up of the net-snmp library for the live requester.
//
// net-snmp is used through its single-session API (one session per request,
// owned by one thread). What the library keeps process-wide is guarded by
// NetSnmpLock(): opening and closing sessions, and every library call that
// sends, reads or retransmits a request (SNMPv3 shares the USM user list,
// engine IDs and engine times between sessions; reading a reply of any
// version counts it in process-wide statistics, and one it cannot parse
// leaves its error detail in one process-wide buffer). A request is waited
// for without the lock (see CNetSnmpChannel).
#ifndef SNMP_NETSNMPLIBRARY_H_
#define SNMP_NETSNMPLIBRARY_H_

#include <mutex>

namespace snmp {

// Initialises net-snmp once for the process: no configuration files, no
// persistent state, no MIB files (the requesters use numeric OIDs only;
// MIBS is set to "" unless the environment already sets it); the
// library's messages go to the trace at level 3. Call it
// before starting threads that use the live requester; creating a
// CNetSnmpRequester calls it. Later calls do nothing. Thread-safe.
void NetSnmpInit();

// The lock around the library's process-wide state (see above).
std::mutex& NetSnmpLock();

}  // namespace snmp

#endif  // SNMP_NETSNMPLIBRARY_H_
