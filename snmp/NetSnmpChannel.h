// A PduChannel on one net-snmp single-session (see NetSnmpLibrary.h for
// the locking rules). Internal to the live requester.
//
// The channel owns its session and closes it on destruction. A channel is
// used by one thread at a time. Every request PDU is handed to the library,
// which releases it whatever the outcome; every reply PDU is released by
// the channel.
#ifndef SNMP_NETSNMPCHANNEL_H_
#define SNMP_NETSNMPCHANNEL_H_

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "snmp/NetSnmpOptions.h"
#include "snmp/PduChannel.h"

namespace snmp {

// What a session needs, prepared once per requester.
struct NetSnmpSessionSettings {
  ESnmpVersion version = ESnmpVersion::kV2c;
  std::string community;
  long timeoutUs = 1000000;
  int retries = 1;
  std::string user;
  ESnmpAuth auth = ESnmpAuth::kNone;
  std::vector<unsigned char> authKey;  // localisable key Ku of RFC 3414
  ESnmpPriv priv = ESnmpPriv::kNone;
  std::vector<unsigned char> privKey;
  std::string context;
};

// Makes the key Ku of RFC 3414 from `passphrase` with the hash of `auth`.
// False, with `error` set, when the library refuses (for example a pass
// phrase shorter than 8 characters).
bool NetSnmpMakeKey(ESnmpAuth auth, const std::string& passphrase,
                    std::vector<unsigned char>* key, std::string* error);

// The net-snmp transport address of `target` at `port`: "udp6:[addr]:port"
// for a text with a colon (an IPv6 address), else "udp:target:port".
std::string NetSnmpPeerName(const std::string& target, int port);

class CNetSnmpChannel : public PduChannel {
 public:
  // Opens a session to `peer`, holding NetSnmpLock() while the library
  // opens it; an SNMPv3 session then discovers the device's engine with a
  // request of its own, waited for without the lock. Returns null when
  // the session cannot be opened: `silent` tells whether that was a device
  // that did not answer (SNMPv3 engine discovery), `error` says why.
  // Requests take the lock around each library call (sending, reading a
  // reply, retransmitting), never while waiting for the reply: SNMPv3
  // calls touch the shared SNMPv3 state, and reading a reply of any
  // version writes the library's statistics and, for a reply it cannot
  // parse, its one error-detail buffer.
  static std::unique_ptr<CNetSnmpChannel> Open(const NetSnmpSessionSettings& settings,
                                               const std::string& peer, bool* silent,
                                               std::string* error);
  ~CNetSnmpChannel() override;
  CNetSnmpChannel(const CNetSnmpChannel&) = delete;
  CNetSnmpChannel& operator=(const CNetSnmpChannel&) = delete;

  PduReply Get(const Oid& oid) override;
  PduReply GetNext(const std::vector<Oid>& oids) override;
  PduReply GetBulk(const std::vector<Oid>& oids, int maxRepetitions) override;

 private:
  explicit CNetSnmpChannel(void* session) : m_Session(session) {}
  PduReply Exchange(int command, const std::vector<Oid>& oids, int maxRepetitions);
  // Asks the device for its SNMPv3 engine ID and sets up the user's keys
  // for it. False, with `silent` and `error` as Open gives them, when the
  // device gave no engine ID.
  bool DiscoverEngine(bool* silent, std::string* error);
  // Sends `request` (taken over) and waits for its reply; the lock only
  // around library calls. Returns the library's status (STAT_*); `*reply`
  // is the reply PDU (the caller frees it) or null; `*strays` counts the
  // datagrams read meanwhile that were not the reply.
  int SendAndWait(void* request, void** reply, int* strays);

  void* m_Session;  // net-snmp single-session handle
};

}  // namespace snmp

#endif  // SNMP_NETSNMPCHANNEL_H_
