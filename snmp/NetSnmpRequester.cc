#include "snmp/NetSnmpRequester.h"

#include <cstdio>

#include "host/KelError.h"
#include "host/KelTrace.h"
#include "snmp/NetSnmpLibrary.h"
#include "snmp/RequesterErrors.h"

namespace {

snmp::WalkOptions WalkOptionsOf(const CNetSnmpOptions& options) {
  snmp::WalkOptions walk;
  walk.bulk = options.version != ESnmpVersion::kV1;
  walk.maxRepetitions = options.maxRepetitions;
  return walk;
}

// The problem with `options`, or "" when they can work.
std::string Check(const CNetSnmpOptions& options) {
  if (options.port < 1 || options.port > 65535) return "port outside 1 to 65535";
  if (options.timeoutMs < 1) return "timeout below 1 ms";
  if (options.retries < 0) return "negative retries";
  if (options.maxRepetitions < 1) return "max-repetitions below 1";
  if (options.version == ESnmpVersion::kV3) {
    if (options.user.empty()) return "SNMPv3 without user";
    if (options.priv != ESnmpPriv::kNone && options.auth == ESnmpAuth::kNone) {
      return "SNMPv3 privacy without authentication";
    }
    // RFC 3414 11.2 asks for at least 8 characters; the library refuses
    // fewer (and says so on standard error).
    if (options.auth != ESnmpAuth::kNone && options.authPassphrase.size() < 8) {
      return "authentication pass phrase: fewer than 8 characters";
    }
    if (options.priv != ESnmpPriv::kNone && options.privPassphrase.size() < 8) {
      return "privacy pass phrase: fewer than 8 characters";
    }
  }
  return "";
}

}  // namespace

std::unique_ptr<CNetSnmpRequester> CNetSnmpRequester::Create(const CNetSnmpOptions& options,
                                                             std::string* error) {
  snmp::NetSnmpInit();
  std::string problem = Check(options);
  snmp::NetSnmpSessionSettings settings;
  settings.version = options.version;
  settings.community = options.community;
  settings.timeoutUs = static_cast<long>(options.timeoutMs) * 1000;
  settings.retries = options.retries;
  if (problem.empty() && options.version == ESnmpVersion::kV3) {
    settings.user = options.user;
    settings.context = options.context;
    settings.auth = options.auth;
    settings.priv = options.priv;
    std::string why;
    // Keys are derived once here: the derivation hashes a megabyte.
    if (options.auth != ESnmpAuth::kNone &&
        !snmp::NetSnmpMakeKey(options.auth, options.authPassphrase, &settings.authKey, &why)) {
      problem = "authentication pass phrase: " + why;
    } else if (options.priv != ESnmpPriv::kNone &&
               !snmp::NetSnmpMakeKey(options.auth, options.privPassphrase, &settings.privKey,
                                     &why)) {
      problem = "privacy pass phrase: " + why;
    }
  }
  if (!problem.empty()) {
    if (error != nullptr) *error = problem;
    return nullptr;
  }
  return std::unique_ptr<CNetSnmpRequester>(new CNetSnmpRequester(options, std::move(settings)));
}

CNetSnmpRequester::CNetSnmpRequester(const CNetSnmpOptions& options,
                                     snmp::NetSnmpSessionSettings settings)
    : CChannelRequester(WalkOptionsOf(options)),
      m_Options(options),
      m_Settings(std::move(settings)) {}

std::unique_ptr<snmp::PduChannel> CNetSnmpRequester::DSROpenChannel(const std::string& target,
                                                                    std::string* why) {
  const std::string peer = snmp::NetSnmpPeerName(target, m_Options.port);
  bool silent = false;
  std::unique_ptr<snmp::PduChannel> channel = snmp::CNetSnmpChannel::Open(m_Settings, peer, &silent, why);
  if (channel == nullptr && silent) {
    // SNMPv3 engine discovery got no answer: a silent device. Its requests
    // go to a channel that answers nothing, so that it is counted.
    genXPLTracef(5, "SNMP %s: no answer to engine discovery\n", peer.c_str());
    return std::unique_ptr<snmp::PduChannel>(new snmp::CSilentChannel);
  }
  return channel;
}

std::string CNetSnmpRequester::DSRDescribeSilence(const std::string& target, int unanswered,
                                                  int answered, int strays) const {
  const int attempts = m_Options.retries + 1;
  char seconds[32];
  std::snprintf(seconds, sizeof(seconds), "%g",
                unanswered * attempts * static_cast<double>(m_Options.timeoutMs) / 1000.0);
  const std::string tries =
      std::to_string(attempts) + (attempts == 1 ? " attempt" : " attempts") + " (" + seconds + " s in all)";
  // Datagrams came back, so the device is there: they are the problem.
  const std::string unreadable =
      std::to_string(strays) + (strays == 1 ? " datagram" : " datagrams") +
      " came back that could not be read as replies (malformed, cut short, or to another "
      "request-id)";
  if (answered > 0) {
    return "no SNMP answer from " + target + " port " + std::to_string(m_Options.port) + " to " +
           std::to_string(unanswered) + " of " + std::to_string(unanswered + answered) +
           " requests (" + std::to_string(attempts) +
           (attempts == 1 ? " attempt" : " attempts") + " each), though it answered the others: " +
           (strays > 0 ? unreadable : "replies lost, too late, or unreadable");
  }
  std::string text = "no SNMP answer from " + target + " port " + std::to_string(m_Options.port) +
                     " after " + std::to_string(unanswered) +
                     (unanswered == 1 ? " request" : " requests") + " of " + tries + ": ";
  if (strays > 0) return text + unreadable;
  text += "the device is unreachable, runs no SNMP agent, ";
  if (m_Options.version == ESnmpVersion::kV3) return text + "or ignores SNMPv3 requests";
  return text + "or does not accept the community (a wrong community gets no answer)";
}
