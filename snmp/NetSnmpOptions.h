// Options of the live requester. Plain data, copied by the requester.
#ifndef SNMP_NETSNMPOPTIONS_H_
#define SNMP_NETSNMPOPTIONS_H_

#include <string>

enum class ESnmpVersion { kV1, kV2c, kV3 };
enum class ESnmpAuth { kNone, kMD5, kSHA, kSHA224, kSHA256, kSHA384, kSHA512 };
enum class ESnmpPriv { kNone, kDES, kAES };

struct CNetSnmpOptions {
  ESnmpVersion version = ESnmpVersion::kV2c;
  std::string community = "public";  // SNMPv1 and v2c
  int port = 161;                    // UDP port of every device
  int timeoutMs = 1000;              // per attempt; at least 1
  int retries = 1;                   // attempts after the first; at least 0
  int maxRepetitions = 20;           // of each GETBULK; at least 1

  // SNMPv3 (user-based security, RFC 3414). The security level follows the
  // protocols: no auth (noAuthNoPriv), auth only (authNoPriv), both
  // (authPriv). Pass phrases have at least 8 characters.
  std::string user;
  ESnmpAuth auth = ESnmpAuth::kNone;
  std::string authPassphrase;
  ESnmpPriv priv = ESnmpPriv::kNone;
  std::string privPassphrase;
  std::string context;  // SNMPv3 context name; "" is the default context
};

#endif  // SNMP_NETSNMPOPTIONS_H_
