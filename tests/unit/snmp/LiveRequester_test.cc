// The live requester refuses options that cannot work (its traffic is tested against snmpsim).
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "snmp/NetSnmpRequester.h"

namespace {

CNetSnmpOptions With(void (*change)(CNetSnmpOptions&)) {
  CNetSnmpOptions o;
  return change(o), o;
}
CNetSnmpOptions V3(ESnmpAuth auth, const char* authPass, ESnmpPriv priv, const char* privPass) {
  CNetSnmpOptions o;
  o.version = ESnmpVersion::kV3, o.user = "disco", o.auth = auth, o.authPassphrase = authPass;
  o.priv = priv, o.privPassphrase = privPass;
  return o;
}

TEST(LiveRequesterTest, RefusesOptionsThatCannotWork) {
  using A = ESnmpAuth;
  using P = ESnmpPriv;
  const struct {
    CNetSnmpOptions options;
    const char* error;  // how the refusal begins, "" when accepted
  } rows[] = {
      {With([](auto& o) { o.port = 1, o.timeoutMs = 1, o.retries = 0, o.maxRepetitions = 1; }), ""},
      {With([](auto& o) { o.port = 65535, o.version = ESnmpVersion::kV1; }), ""},
      {With([](auto& o) { o.port = 0; }), "port outside 1 to 65535"},
      {With([](auto& o) { o.port = 65536; }), "port outside 1 to 65535"},
      {With([](auto& o) { o.timeoutMs = 0; }), "timeout below 1 ms"},
      {With([](auto& o) { o.retries = -1; }), "negative retries"},
      {With([](auto& o) { o.maxRepetitions = 0; }), "max-repetitions below 1"},
      {With([](auto& o) { o.version = ESnmpVersion::kV3; }), "SNMPv3 without user"},
      {V3(A::kNone, "", P::kNone, ""), ""}, {V3(A::kSHA, "authpass123", P::kAES, "privpass123"), ""},
      {V3(A::kNone, "", P::kAES, "privpass123"), "SNMPv3 privacy without authentication"},
      {V3(A::kSHA, "short", P::kNone, ""), "authentication pass phrase: "},
      {V3(A::kMD5, "authpass123", P::kDES, "1234567"), "privacy pass phrase: "},
  };
  for (const auto& row : rows) {
    std::string error = "unset";
    std::unique_ptr<CNetSnmpRequester> requester = CNetSnmpRequester::Create(row.options, &error);
    EXPECT_EQ(requester == nullptr, *row.error != '\0') << &row - rows << ": " << error;
    EXPECT_EQ(error.rfind(*row.error ? row.error : "unset", 0), 0u) << &row - rows << ": " << error;
  }
}

}  // namespace
