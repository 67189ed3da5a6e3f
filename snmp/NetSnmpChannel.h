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
  // Opens a session to `peer`. `held` is either empty or holds
  // NetSnmpLock() for the channel's whole life (SNMPv3); otherwise the lock
  // is taken just to open and to close. Returns null when the session
  // cannot be opened: `silent` tells whether that was a device that did
  // not answer (SNMPv3 engine discovery), `error` says why.
  static std::unique_ptr<CNetSnmpChannel> Open(const NetSnmpSessionSettings& settings,
                                               const std::string& peer,
                                               std::unique_lock<std::mutex> held,
                                               bool* silent, std::string* error);
  ~CNetSnmpChannel() override;
  CNetSnmpChannel(const CNetSnmpChannel&) = delete;
  CNetSnmpChannel& operator=(const CNetSnmpChannel&) = delete;

  PduReply Get(const Oid& oid) override;
  PduReply GetNext(const std::vector<Oid>& oids) override;
  PduReply GetBulk(const std::vector<Oid>& oids, int maxRepetitions) override;

 private:
  CNetSnmpChannel(void* session, std::unique_lock<std::mutex> held)
      : m_Session(session), m_Held(std::move(held)) {}
  PduReply Exchange(int command, const std::vector<Oid>& oids, int maxRepetitions);

  void* m_Session;                   // net-snmp single-session handle
  std::unique_lock<std::mutex> m_Held;  // released after the session is closed
};

}  // namespace snmp

#endif  // SNMP_NETSNMPCHANNEL_H_
