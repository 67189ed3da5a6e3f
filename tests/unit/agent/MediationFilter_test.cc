// The mediation filter: the forwarding verdict, the SNMP fallback over the name's IPv4 addresses, what is mediated.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWResolver.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace {

using Names = std::vector<std::string>;

const char kOwn[] = "198.51.100.10", kFirst[] = "198.51.100.11", kSecond[] = "198.51.100.12";
const char kNo[] = "<absent>";

struct MediationFilterTest : ::testing::Test {
  void SetUp() override {
    ZWSetNamesOverlay(ZWNamesOverlay::FromText("198.51.100.11 multi.lab\n198.51.100.12 multi.lab\n"));
    agent_.m_Requester = &fake_;
    agent_.m_ValidAddr = &validator_;
  }
  void TearDown() override { ZWSetNamesOverlay(nullptr); }
  ScopedConfigDirs dirs_;
  MibTestAgent agent_;
  FakeRequester fake_;
  CKelValidAddress validator_;
};

struct Reply { const char *address, *object; long long value; };
Reply V6(const char* address, long long value) { return {address, "ipv6Forwarding", value}; }
Reply V4(const char* address, long long value) { return {address, "ipForwarding", value}; }

TEST_F(MediationFilterTest, ForwardingDecidesAndTheNamesIpv4AddressesAreTheFallback) {
  const Names v4Node = {"isUnknownNode", "isIPv4Node"}, all = {kOwn, kOwn, kFirst, kFirst, kSecond, kSecond};
  const struct { const char *what, *unique, *name; std::vector<Reply> replies; __boolean mediated;
                 const char* accessIp; Names capabilities, targets; } rows[] = {  // targets: {} not checked
      {"IPv6 router", kOwn, nullptr, {V6(kOwn, 1), V4(kOwn, 2)}, E_KBTrue, kNo, {"isIPv6Router"}, {}},
      {"IPv6 host", kOwn, 0, {V6(kOwn, 2), V4(kOwn, 1)}, E_KBTrue, kNo, {"isIPv6Host", "isIPv4Node"}, {}},
      {"IPv6 node", kOwn, nullptr, {V6(kOwn, 3)}, E_KBTrue, kNo, {"isIPv6Node", "isIPv4Node"}, {}},
      {"IPv6 node: no value", kOwn, nullptr, {V6(kOwn, FakeRequester::kNoValue), V4(kOwn, 1)}, E_KBTrue, kNo,
       {"isIPv6Node", "isIPv4Node"}, {}},
      {"IPv4 router", kOwn, nullptr, {V4(kOwn, 1)}, E_KBTrue, kNo, {"isIPv4Router", "isIPv4Node"}, {}},
      {"IPv4 host", kOwn, nullptr, {V4(kOwn, 2)}, E_KBTrue, kNo, {"isIPv4Host", "isIPv4Node"}, {}},
      {"IPv4 node", kOwn, nullptr, {V4(kOwn, 5)}, E_KBTrue, kNo, {"isIPv4Node", "isIPv4Node"}, {}},
      {"silent, no name", kOwn, nullptr, {}, E_KBFalse, kNo, v4Node, {kOwn, kOwn}},
      {"silent, name that is a number", kOwn, "42", {}, E_KBFalse, kNo, v4Node, {kOwn, kOwn}},
      // Only the answering address is recorded.
      {"second address answers", kOwn, "multi.lab", {V4(kSecond, 1)}, E_KBTrue, kSecond,
       {"isIPv4Router", "isIPv4Node"}, all},
      {"first answer ends it", kOwn, "multi.lab", {V6(kFirst, 2), V6(kSecond, 1)}, E_KBTrue, kFirst,
       {"isIPv6Host", "isIPv4Node"}, {kOwn, kOwn, kFirst}},
      {"no address answers", kOwn, "multi.lab", {}, E_KBFalse, kNo, v4Node, all},
      {"an IPv6 address is not asked", "2001:db8::50", "multi.lab", {V6(kSecond, 1)}, E_KBTrue, kSecond,
       {"isIPv6Router"}, {kFirst, kFirst, kSecond}},
  };
  for (const auto& row : rows) {
    FakeRequester fake;
    for (const Reply& r : row.replies) fake.SetGet(r.address, r.object, r.value);
    agent_.m_Requester = &fake;
    CKelRecord ne;
    ne.KRAddOrSetValue("m_UniqueAddress", row.unique);
    if (row.name && isdigit(*row.name)) ne.KRAddOrSetValue("m_Name", atoi(row.name));
    if (row.name && !isdigit(*row.name)) ne.KRAddOrSetValue("m_Name", row.name);
    EXPECT_EQ(agent_.DADoMediationFilter(&ne), row.mediated) << row.what;
    EXPECT_EQ(FieldText(ne, "m_SnmpAccessIP"), row.accessIp) << row.what;
    EXPECT_EQ(CapabilityNames(ne), row.capabilities) << row.what;
    Names targets;
    for (const FakeRequester::Request& r : fake.Requests()) targets.push_back(r.address);
    EXPECT_EQ(row.targets.empty() ? row.targets : targets, row.targets) << row.what;
  }
}

TEST_F(MediationFilterTest, NullRecordOrNoValidatorIsNotMediated) {
  KelErrorCapture errors;
  KelTraceCapture trace(4);
  EXPECT_EQ(agent_.DADoMediationFilter(nullptr), E_KBFalse);
  EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DADoMediationFilter()\n"));
  EXPECT_EQ(errors.Count(-220439), 1);
  agent_.m_ValidAddr = nullptr;  // then no address counts as IPv4
  fake_.SetGet(kOwn, "ipv6Forwarding", 1);
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", kOwn);
  EXPECT_EQ(agent_.DADoMediationFilter(&ne), E_KBFalse);
  EXPECT_EQ(CapabilityNames(ne), Names{"isUnknownNode"});
  EXPECT_EQ(fake_.Count(), 0);
}

}  // namespace
