#include "snmp/NetSnmpChannel.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/large_fd_set.h>

#include <sys/select.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "snmp/NetSnmpLibrary.h"

namespace snmp {

namespace {

struct PduFree {
  void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using PduPtr = std::unique_ptr<netsnmp_pdu, PduFree>;

// The protocol OID of `auth`; null for kNone.
const oid* AuthProtocol(ESnmpAuth auth, size_t* length) {
  *length = 10;
  switch (auth) {
    case ESnmpAuth::kNone: return nullptr;
    case ESnmpAuth::kMD5: return usmHMACMD5AuthProtocol;
    case ESnmpAuth::kSHA: return usmHMACSHA1AuthProtocol;
    case ESnmpAuth::kSHA224: return usmHMAC128SHA224AuthProtocol;
    case ESnmpAuth::kSHA256: return usmHMAC192SHA256AuthProtocol;
    case ESnmpAuth::kSHA384: return usmHMAC256SHA384AuthProtocol;
    case ESnmpAuth::kSHA512: return usmHMAC384SHA512AuthProtocol;
  }
  return nullptr;
}

const oid* PrivProtocol(ESnmpPriv priv, size_t* length) {
  *length = 10;
  switch (priv) {
    case ESnmpPriv::kNone: return nullptr;
    case ESnmpPriv::kDES: return usmDESPrivProtocol;
    case ESnmpPriv::kAES: return usmAESPrivProtocol;
  }
  return nullptr;
}

// Failures of the transport count as silence: an unreachable port or
// network looks to a manager like a device that does not answer.
bool IsSilence(int snmpErrno) {
  return snmpErrno == SNMPERR_TIMEOUT || snmpErrno == SNMPERR_BAD_SENDTO ||
         snmpErrno == SNMPERR_BAD_RECVFROM;
}

// The library's text of an error code; its buffer for unknown codes is
// shared, so the caller holds NetSnmpLock().
std::string ErrorText(int snmpErrno) {
  const char* text = snmp_api_errstring(snmpErrno);
  return text != nullptr ? text : "error " + std::to_string(snmpErrno);
}

// False when an OID of the reply does not fit 32-bit sub-identifiers.
bool ToOid(const oid* name, size_t length, Oid* out) {
  out->clear();
  out->reserve(length);
  for (size_t i = 0; i < length; ++i) {
    if (name[i] > UINT32_MAX) return false;
    out->push_back(static_cast<uint32_t>(name[i]));
  }
  return true;
}

bool ToVarBind(const netsnmp_variable_list* var, VarBind* out) {
  if (!ToOid(var->name, var->name_length, &out->oid)) return false;
  WireValue& value = out->value;
  const long integer = var->val.integer != nullptr ? *var->val.integer : 0;
  const unsigned long long low32 = static_cast<unsigned long>(integer) & 0xFFFFFFFFul;
  switch (var->type) {
    case ASN_INTEGER:
      value.type = EWireType::kInteger;
      value.integer = integer;
      break;
    case ASN_GAUGE:  // also Unsigned32
    case ASN_UINTEGER:
      value.type = EWireType::kUnsigned32;
      value.number = low32;
      break;
    case ASN_COUNTER:
      value.type = EWireType::kCounter32;
      value.number = low32;
      break;
    case ASN_TIMETICKS:
      value.type = EWireType::kTimeTicks;
      value.number = low32;
      break;
    case ASN_COUNTER64:
      value.type = EWireType::kCounter64;
      if (var->val.counter64 != nullptr) {
        value.number = (static_cast<unsigned long long>(var->val.counter64->high & 0xFFFFFFFFul)
                        << 32) |
                       (var->val.counter64->low & 0xFFFFFFFFul);
      }
      break;
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
    case ASN_OPAQUE:
      value.type = var->type == ASN_OCTET_STR ? EWireType::kOctetString
                   : var->type == ASN_IPADDRESS ? EWireType::kIpAddress
                                                : EWireType::kOpaque;
      if (var->val.string != nullptr && var->val_len > 0) {
        value.octets.assign(reinterpret_cast<const char*>(var->val.string), var->val_len);
      }
      break;
    case ASN_OBJECT_ID:
      value.type = EWireType::kObjectId;
      if (var->val.objid != nullptr &&
          !ToOid(var->val.objid, var->val_len / sizeof(oid), &value.oid)) {
        return false;
      }
      break;
    case SNMP_NOSUCHOBJECT:
      value.type = EWireType::kNoSuchObject;
      break;
    case SNMP_NOSUCHINSTANCE:
      value.type = EWireType::kNoSuchInstance;
      break;
    case SNMP_ENDOFMIBVIEW:
      value.type = EWireType::kEndOfMibView;
      break;
    default:  // ASN_NULL and types no conforming agent sends
      value.type = EWireType::kNull;
      break;
  }
  return true;
}

}  // namespace

bool NetSnmpMakeKey(ESnmpAuth auth, const std::string& passphrase,
                    std::vector<unsigned char>* key, std::string* error) {
  size_t protoLength = 0;
  const oid* proto = AuthProtocol(auth, &protoLength);
  if (proto == nullptr) {
    *error = "no authentication protocol";
    return false;
  }
  u_char ku[USM_AUTH_KU_LEN];
  size_t kuLength = sizeof(ku);
  std::lock_guard<std::mutex> guard(NetSnmpLock());
  const int rc = generate_Ku(proto, static_cast<u_int>(protoLength),
                             reinterpret_cast<const u_char*>(passphrase.data()),
                             passphrase.size(), ku, &kuLength);
  if (rc != SNMPERR_SUCCESS) {
    *error = ErrorText(rc);
    return false;
  }
  key->assign(ku, ku + kuLength);
  return true;
}

std::string NetSnmpPeerName(const std::string& target, int port) {
  if (target.find(':') != std::string::npos) {
    return "udp6:[" + target + "]:" + std::to_string(port);
  }
  return "udp:" + target + ":" + std::to_string(port);
}

std::unique_ptr<CNetSnmpChannel> CNetSnmpChannel::Open(const NetSnmpSessionSettings& settings,
                                                       const std::string& peer, bool* silent,
                                                       std::string* error) {
  *silent = false;
  // The library copies every text and key of the template when it opens.
  std::string peerName = peer;
  std::string community = settings.community;
  std::string user = settings.user;
  std::string context = settings.context;
  netsnmp_session session;
  snmp_sess_init(&session);
  session.peername = peerName.data();
  session.timeout = settings.timeoutUs;
  session.retries = settings.retries;
  if (settings.version != ESnmpVersion::kV3) {
    session.version =
        settings.version == ESnmpVersion::kV1 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
    session.community = reinterpret_cast<u_char*>(community.data());
    session.community_len = community.size();
  } else {
    session.version = SNMP_VERSION_3;
    session.securityName = user.data();
    session.securityNameLen = user.size();
    session.contextName = context.data();
    session.contextNameLen = context.size();
    session.securityLevel = settings.auth == ESnmpAuth::kNone ? SNMP_SEC_LEVEL_NOAUTH
                            : settings.priv == ESnmpPriv::kNone ? SNMP_SEC_LEVEL_AUTHNOPRIV
                                                                : SNMP_SEC_LEVEL_AUTHPRIV;
    size_t length = 0;
    if (const oid* proto = AuthProtocol(settings.auth, &length)) {
      session.securityAuthProto = const_cast<oid*>(proto);
      session.securityAuthProtoLen = length;
      session.securityAuthKeyLen =
          std::min(settings.authKey.size(), sizeof(session.securityAuthKey));
      memcpy(session.securityAuthKey, settings.authKey.data(), session.securityAuthKeyLen);
    }
    if (const oid* proto = PrivProtocol(settings.priv, &length)) {
      session.securityPrivProto = const_cast<oid*>(proto);
      session.securityPrivProtoLen = length;
      session.securityPrivKeyLen =
          std::min(settings.privKey.size(), sizeof(session.securityPrivKey));
      memcpy(session.securityPrivKey, settings.privKey.data(), session.securityPrivKeyLen);
    }
  }

  const bool v3 = settings.version == ESnmpVersion::kV3;
  // The engine is discovered below, by a request like any other, rather
  // than by the library while it opens the session under the lock.
  if (v3) session.flags |= SNMP_FLAGS_DONT_PROBE;
  void* handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(NetSnmpLock());
    handle = snmp_sess_open(&session);
    if (handle == nullptr) {
      *silent = IsSilence(session.s_snmp_errno);
      *error = ErrorText(session.s_snmp_errno);
      return nullptr;
    }
    // The library clears the flag once the session is open, and would then
    // discover the engine itself, synchronously, inside the first send.
    if (v3) snmp_sess_session(handle)->flags |= SNMP_FLAGS_DONT_PROBE;
  }
  std::unique_ptr<CNetSnmpChannel> channel(new CNetSnmpChannel(handle));
  if (v3 && !channel->DiscoverEngine(silent, error)) return nullptr;
  return channel;
}

namespace {

// The request of RFC 3414 section 4 that asks an SNMPv3 engine for its ID:
// a GET without bindings from the empty user, which the library must know
// (as its own engine discovery makes it). Under NetSnmpLock().
netsnmp_pdu* EngineProbe() {
  if (usm_get_user(nullptr, 0, "") == nullptr) {
    struct usmUser* empty = usm_create_user();
    if (empty == nullptr) return nullptr;
    empty->name = strdup("");
    empty->secName = strdup("");
    if (empty->name == nullptr || empty->secName == nullptr) {
      usm_free_user(empty);
      return nullptr;
    }
    usm_add_user(empty);
  }
  netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
  if (pdu == nullptr) return nullptr;
  pdu->version = SNMP_VERSION_3;
  pdu->securityName = strdup("");
  pdu->securityNameLen = 0;
  pdu->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
  pdu->securityModel = SNMP_SEC_MODEL_USM;
  if (pdu->securityName == nullptr) {
    snmp_free_pdu(pdu);
    return nullptr;
  }
  return pdu;
}

}  // namespace

bool CNetSnmpChannel::DiscoverEngine(bool* silent, std::string* error) {
  netsnmp_pdu* probe = nullptr;
  {
    std::lock_guard<std::mutex> guard(NetSnmpLock());
    probe = EngineProbe();
  }
  if (probe == nullptr) {
    *error = ErrorText(SNMPERR_MALLOC);
    return false;
  }
  // The answer is a report, which the library reads the engine's ID, boots
  // and time from into the session as it arrives.
  void* reply = nullptr;
  int strays = 0;
  const int status = SendAndWait(probe, &reply, &strays);
  snmp_free_pdu(static_cast<netsnmp_pdu*>(reply));
  std::lock_guard<std::mutex> guard(NetSnmpLock());
  netsnmp_session* session = snmp_sess_session(m_Session);
  if (session->securityEngineIDLen == 0) {
    // A probe that could not be sent (no route, say) is silence too.
    const int why = status == STAT_TIMEOUT ? SNMPERR_TIMEOUT
                    : IsSilence(session->s_snmp_errno) ? session->s_snmp_errno
                                                       : SNMPERR_UNKNOWN_ENG_ID;
    *silent = IsSilence(why);
    *error = ErrorText(why);
    return false;
  }
  // The user's keys, localised to that engine, as the library's discovery
  // leaves them.
  if (create_user_from_session(session) != SNMPERR_SUCCESS) {
    *error = ErrorText(SNMPERR_UNKNOWN_USER_NAME);
    return false;
  }
  return true;
}

CNetSnmpChannel::~CNetSnmpChannel() {
  std::lock_guard<std::mutex> guard(NetSnmpLock());
  snmp_sess_close(m_Session);
}

namespace {

// Where the reply of one request sent with snmp_sess_async_send lands, as
// the library's own synchronous exchange keeps it.
struct Waiting {
  bool done = false;
  int status = STAT_ERROR;
  netsnmp_pdu* reply = nullptr;  // a copy the waiting channel frees
};

int ReplyArrived(int operation, netsnmp_session* session, int /*reqid*/, netsnmp_pdu* pdu, void* magic) {
  auto* waiting = static_cast<Waiting*>(magic);
  // The library also tells of each retransmission (and of a connection
  // made): the request goes on.
  if (operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT) return 1;
  waiting->done = true;
  if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu != nullptr) {
    if (pdu->command == SNMP_MSG_REPORT) {  // an SNMPv3 refusal: its kind becomes the error
      session->s_snmp_errno = snmpv3_get_report_type(pdu);
    } else {
      waiting->status = STAT_SUCCESS;
      waiting->reply = snmp_clone_pdu(pdu);
    }
  } else if (operation == NETSNMP_CALLBACK_OP_TIMED_OUT || operation == NETSNMP_CALLBACK_OP_SEND_FAILED) {
    // A retransmission that cannot leave (the address became unreachable)
    // ends the request as silence, as a lost one would.
    waiting->status = STAT_TIMEOUT;
    session->s_snmp_errno = SNMPERR_TIMEOUT;
  }
  return 1;
}

}  // namespace

int CNetSnmpChannel::SendAndWait(void* request, void** reply, int* strays) {
  auto* pdu = static_cast<netsnmp_pdu*>(request);
  Waiting waiting;
  *strays = 0;
  {
    std::lock_guard<std::mutex> guard(NetSnmpLock());
    if (snmp_sess_async_send(m_Session, pdu, ReplyArrived, &waiting) == 0) {
      snmp_free_pdu(pdu);  // not taken when it could not be sent
      return STAT_ERROR;
    }
  }
  // The wait ends only through the library (a reply, or its last retry
  // timed out), so that it never keeps a request whose `waiting` is gone.
  netsnmp_large_fd_set readable;
  netsnmp_large_fd_set_init(&readable, FD_SETSIZE);
  while (!waiting.done) {
    // Entering with `block` set asks for the time to the earliest
    // retransmission; with it clear the library keeps whatever shorter
    // time-out it is given (a zero one would make this loop spin).
    int fds = 0, block = 1;
    timeval timeout{};
    {
      std::lock_guard<std::mutex> guard(NetSnmpLock());
      NETSNMP_LARGE_FD_ZERO(&readable);
      snmp_sess_select_info2(m_Session, &fds, &readable, &timeout, &block);
    }
    if (block) timeout = {1, 0};  // nothing to time out: look again in a second
    const int ready = select(fds, readable.lfs_setptr, nullptr, nullptr, &timeout);
    if (ready < 0 && errno != EINTR) usleep(10000);  // the next round's time-out check ends the request
    std::lock_guard<std::mutex> guard(NetSnmpLock());
    if (ready > 0) {
      // One session, one request outstanding: a datagram that does not end
      // it could not be read as its reply.
      snmp_sess_read2(m_Session, &readable);
      if (!waiting.done) ++*strays;
    } else if (ready == 0 || errno != EINTR) {
      snmp_sess_timeout(m_Session);  // retransmits, or gives up (ReplyArrived: timed out)
    }
  }
  netsnmp_large_fd_set_cleanup(&readable);
  *reply = waiting.reply;
  return waiting.status;
}

PduReply CNetSnmpChannel::Get(const Oid& oid) {
  return Exchange(SNMP_MSG_GET, std::vector<Oid>{oid}, 0);
}

PduReply CNetSnmpChannel::GetNext(const std::vector<Oid>& oids) {
  return Exchange(SNMP_MSG_GETNEXT, oids, 0);
}

PduReply CNetSnmpChannel::GetBulk(const std::vector<Oid>& oids, int maxRepetitions) {
  return Exchange(SNMP_MSG_GETBULK, oids, maxRepetitions);
}

PduReply CNetSnmpChannel::Exchange(int command, const std::vector<Oid>& oids,
                                   int maxRepetitions) {
  PduReply reply;
  for (const Oid& oid : oids) {
    if (oid.empty() || oid.size() > MAX_OID_LEN) {
      reply.outcome = EPduOutcome::kFailed;
      reply.detail = "OID of " + std::to_string(oid.size()) + " sub-identifiers";
      return reply;
    }
  }
  PduPtr request(snmp_pdu_create(command));
  if (request == nullptr) {
    reply.outcome = EPduOutcome::kFailed;
    reply.detail = "no memory for a PDU";
    return reply;
  }
  if (command == SNMP_MSG_GETBULK) {
    request->non_repeaters = 0;
    request->max_repetitions = maxRepetitions;
  }
  for (const Oid& oid : oids) {
    std::vector<::oid> name(oid.begin(), oid.end());
    snmp_add_null_var(request.get(), name.data(), name.size());
  }

  // The library takes the request PDU whatever the outcome.
  void* raw = nullptr;
  const int status = SendAndWait(request.release(), &raw, &reply.strays);
  PduPtr response(static_cast<netsnmp_pdu*>(raw));
  if (status == STAT_SUCCESS && response != nullptr) {
    if (response->command != SNMP_MSG_RESPONSE) {
      reply.outcome = EPduOutcome::kFailed;
      reply.detail = "reply of PDU type " + std::to_string(response->command);
      return reply;
    }
    reply.outcome = EPduOutcome::kAnswer;
    reply.errorStatus = response->errstat;
    reply.errorIndex = response->errindex;
    for (netsnmp_variable_list* var = response->variables; var != nullptr;
         var = var->next_variable) {
      VarBind bind;
      if (!ToVarBind(var, &bind)) {
        reply.outcome = EPduOutcome::kFailed;
        reply.detail = "sub-identifier above 2^32 - 1 in the reply";
        reply.binds.clear();
        return reply;
      }
      reply.binds.push_back(std::move(bind));
    }
    return reply;
  }
  const int snmpErrno = snmp_sess_session(m_Session)->s_snmp_errno;
  if (status == STAT_TIMEOUT || IsSilence(snmpErrno)) {
    reply.outcome = EPduOutcome::kNoAnswer;
    return reply;
  }
  reply.outcome = EPduOutcome::kFailed;
  std::lock_guard<std::mutex> guard(NetSnmpLock());
  reply.detail = ErrorText(snmpErrno);
  return reply;
}

}  // namespace snmp
