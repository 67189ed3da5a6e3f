// The live requester's options and what it does before any packet is sent.
// Requests to devices are tested against snmpsim in the integration tests.
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/NetSnmpRequester.h"
#include "snmp/RequesterErrors.h"
#include "tests/support/SnmpTestUtil.h"

namespace {

CNetSnmpOptions V3(ESnmpAuth auth, const char* authPass, ESnmpPriv priv, const char* privPass) {
  CNetSnmpOptions options;
  options.version = ESnmpVersion::kV3;
  options.user = "disco";
  options.auth = auth;
  options.authPassphrase = authPass;
  options.priv = priv;
  options.privPassphrase = privPass;
  return options;
}

TEST(NetSnmpRequesterTest, RefusesOptionsThatCannotWork) {
  struct Case {
    const char* what;
    CNetSnmpOptions options;
    const char* error;  // "" when accepted
  } cases[] = {
      {"defaults", CNetSnmpOptions(), ""},
      {"port 0", [] { CNetSnmpOptions o; o.port = 0; return o; }(), "port outside 1 to 65535"},
      {"port 65536", [] { CNetSnmpOptions o; o.port = 65536; return o; }(),
       "port outside 1 to 65535"},
      {"no timeout", [] { CNetSnmpOptions o; o.timeoutMs = 0; return o; }(),
       "timeout below 1 ms"},
      {"negative retries", [] { CNetSnmpOptions o; o.retries = -1; return o; }(),
       "negative retries"},
      {"no repetitions", [] { CNetSnmpOptions o; o.maxRepetitions = 0; return o; }(),
       "max-repetitions below 1"},
      {"v1", [] { CNetSnmpOptions o; o.version = ESnmpVersion::kV1; return o; }(), ""},
      {"v3 without user", [] { CNetSnmpOptions o; o.version = ESnmpVersion::kV3; return o; }(),
       "SNMPv3 without user"},
      {"v3 noAuthNoPriv", V3(ESnmpAuth::kNone, "", ESnmpPriv::kNone, ""), ""},
      {"v3 authPriv SHA AES", V3(ESnmpAuth::kSHA, "authpass123", ESnmpPriv::kAES, "privpass123"),
       ""},
      {"v3 authNoPriv SHA-256", V3(ESnmpAuth::kSHA256, "authpass123", ESnmpPriv::kNone, ""), ""},
      {"v3 privacy without auth", V3(ESnmpAuth::kNone, "", ESnmpPriv::kAES, "privpass123"),
       "SNMPv3 privacy without authentication"},
      {"v3 short auth pass phrase", V3(ESnmpAuth::kSHA, "short", ESnmpPriv::kNone, ""),
       "authentication pass phrase: "},
      {"v3 short priv pass phrase", V3(ESnmpAuth::kMD5, "authpass123", ESnmpPriv::kDES, "1234567"),
       "privacy pass phrase: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error = "unset";
    std::unique_ptr<CNetSnmpRequester> requester = CNetSnmpRequester::Create(c.options, &error);
    if (*c.error == '\0') {
      ASSERT_NE(requester, nullptr) << error;
      EXPECT_EQ(error, "unset");
      EXPECT_EQ(requester->DSROptions().version, c.options.version);
    } else {
      EXPECT_EQ(requester, nullptr);
      EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
  }
  EXPECT_EQ(CNetSnmpRequester::Create(CNetSnmpOptions(), nullptr)->DSROptions().port, 161);
}

TEST(NetSnmpRequesterTest, PeerNamesOfAddresses) {
  EXPECT_EQ(snmp::NetSnmpPeerName("192.0.2.1", 161), "udp:192.0.2.1:161");
  EXPECT_EQ(snmp::NetSnmpPeerName("2001:db8::1", 1161), "udp6:[2001:db8::1]:1161");
  EXPECT_EQ(snmp::NetSnmpPeerName("2001:0DB8:0000:0000:0000:0000:0000:0001", 161),
            "udp6:[2001:0DB8:0000:0000:0000:0000:0000:0001]:161");
  EXPECT_EQ(snmp::NetSnmpPeerName("r1.lab.example", 161), "udp:r1.lab.example:161");
}

TEST(NetSnmpRequesterTest, NothingIsSentWithoutTargetOrKnownObject) {
  KelErrorCapture errors;
  std::unique_ptr<CNetSnmpRequester> requester = CNetSnmpRequester::Create(CNetSnmpOptions(), nullptr);
  ASSERT_NE(requester, nullptr);
  CKelRecord noAddress;
  noAddress.KRAddOrSetValue("m_SnmpAccessIP", "");  // empty fields do not count
  EXPECT_EQ(requester->DSRSnmpGet(&noAddress, "sysDescr", "0", nullptr), nullptr);
  EXPECT_EQ(requester->DSRSnmpGetNext(&noAddress, "ipv6IfDescr", nullptr, nullptr), nullptr);
  EXPECT_EQ(requester->DSRSnmpGet(nullptr, "sysDescr", "0", nullptr), nullptr);
  auto record = RecordAt("192.0.2.1");
  EXPECT_EQ(requester->DSRSnmpGet(record.get(), "noSuchThing", "0", nullptr), nullptr);
  EXPECT_EQ(requester->DSRSnmpGetNext(record.get(), "noSuchColumn", nullptr, nullptr), nullptr);
  EXPECT_EQ(requester->DSRSnmpGet(record.get(), "sysDescr", "0.x", nullptr), nullptr);
  const snmp::RequestCounts counts = requester->DSRCounts();
  EXPECT_EQ(counts.gets + counts.walks + counts.pdus, 0);
  EXPECT_EQ(errors.Count(snmp::kErrUnknownObject), 2);
  EXPECT_EQ(errors.Count(snmp::kErrBadInstance), 1);
}

}  // namespace
