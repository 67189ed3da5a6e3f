// Process-wide set-up of the net-snmp library for the live requester.
//
// net-snmp is used through its single-session API (one session per request,
// owned by one thread), which needs no lock for SNMPv1/v2c sending and
// receiving. What the library keeps process-wide is guarded by
// NetSnmpLock(): opening and closing sessions, and every SNMPv3 library call
// (the USM user list, engine IDs and engine times are shared by every
// session): an SNMPv3 request is sent, read and retransmitted under the
// lock, but waited for without it (see CNetSnmpChannel).
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
